#pragma once
// The arithmetic of the multiplier line: the two point maps sorted into manifold-pressure cells, their
// fill levels and the point clouds the chart shows, the line "Oblicz nastawy" computes from them, and
// the rules that turn a point moved on the chart into a stored percentage.
//
// The line has 20 whole percentages (−50 … +50), entry j for petrol injection times of j … j + 1 ms;
// the chart shows entry j at x = j + 1 ms with the multiplier (percentage + 100) / 100.

#include <array>
#include <cstddef>
#include <vector>

#include "maps/PointMap.h"
#include "settings/CDeviceSettings.h"

namespace tarvola {

constexpr int kPressureCells = 75;  // cell k stands for 2k kPa
constexpr int kLineEntries = static_cast<int>(kSetupTimesCount);
constexpr int kLineLimit = 50;

using MultiplierLine = std::array<double, kSetupTimesCount>;

// The injection times gathered for one pressure cell.
class PressureCell {
public:
    void add(double ms) { m_samples.push_back(ms); }
    void clear() { m_samples.clear(); }
    std::size_t count() const { return m_samples.size(); }
    double mean() const;  // 0 for an empty cell
    const std::vector<double>& samples() const { return m_samples; }
    // The mean of the samples within 15 % of the cell mean, once the cell holds more than 10 samples;
    // 0 otherwise (also when no sample qualifies).
    double trustedAverage() const;

private:
    std::vector<double> m_samples;
};

using PressureCells = std::array<PressureCell, kPressureCells>;

// The chart's pressure value of point-map bin i, or −1 when the bin has no usable value: with the
// differential manifold sensor only bins 0..24 are used (code 83 − 3i, value 101 − the pressure of
// the code, rounded half away from zero); with the absolute sensor all 31 (code trunc(i·156/72 + 11),
// value truncated).
int binPressureValue(std::size_t bin, bool absoluteSensor);
// The pressure cell of a bin (value / 2), or −1 when the bin falls outside the 75 cells.
int binPressureCell(std::size_t bin, bool absoluteSensor);

// How full a point map is, in percent: total × 2 × 100 / 60000, at most 100.
double fillLevel(const CPointMap& map);

struct CloudPoint {
    double timeMs = 0;
    double pressure = 0;  // 2k of its cell
    bool operator==(const CloudPoint&) const = default;
};

// The cloud of one map: the samples of every cell holding more than 5, within 15 % of the cell mean,
// at the cell's pressure.
std::vector<CloudPoint> cloudOf(const PressureCells& cells);

// Both maps sorted into cells, as the calibration page reads them.
struct SortedPointMaps {
    PressureCells petrol;
    PressureCells gas;
    double petrolFill = 0;
    double gasFill = 0;
    // The chart's series 0 (petrol) and 1 (gas).
    std::vector<CloudPoint> petrolCloud() const { return cloudOf(petrol); }
    std::vector<CloudPoint> gasCloud() const { return cloudOf(gas); }
};

// Each bin with a count adds its average time (sum / count × 0.004 ms, to 0.01 ms) eleven times to
// its cell, so that one bin alone passes the "more than 10 samples" rule.
SortedPointMaps sortPointMaps(const CPointMap& petrol, const CPointMap& gas, bool absoluteSensor);

// What "Oblicz nastawy" adds to the line: per cell the relative difference of the trusted gas and
// petrol averages, in percent, averaged in 1-ms buckets of the petrol time, the empty buckets filled
// from above and the ends extended, smoothed over three neighbours and rounded half away from zero.
// The buckets before smoothing are exposed for tests and for the command line's report.
struct LineProposal {
    std::array<double, kSetupTimesCount> buckets{};  // m[b] after filling and extension
    std::array<double, kSetupTimesCount> smoothed{};
    std::array<int, kSetupTimesCount> change{};       // whole percent added to each entry
    int first = 0;
    int last = kLineEntries - 1;
};
LineProposal proposeLineChange(const PressureCells& petrol, const PressureCells& gas);
// The bucket rules alone, from the raw bucket means (clamped to ±50 first).
LineProposal proposeFromBuckets(std::array<double, kSetupTimesCount> means);
// The line with a proposal applied: each entry gains its change, then is clamped to −50 … +50.
MultiplierLine applyProposal(const MultiplierLine& line, const LineProposal& proposal);

// ---- the chart's point rules ----
// The multiplier a line entry shows.
double multiplierOf(double percent);
// The percentage a multiplier stores: (x − 1) × 100 truncated toward zero, in double arithmetic.
int percentOf(double multiplier);
// A dragged point: rounded to 0.01 and kept within 0.5 … 1.5.
double draggedMultiplier(double y);
// The Up and Down keys: ±0.01 while below 1.5 / above 0.5 (otherwise unchanged).
double multiplierUp(double x);
double multiplierDown(double x);
// Page Up / Page Down: every entry ±1 percent, clamped to −50 … +50.
MultiplierLine incrementedLine(const MultiplierLine& line, bool up);

} // namespace tarvola
