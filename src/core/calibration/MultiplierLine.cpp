#include "calibration/MultiplierLine.h"

#include <algorithm>
#include <cmath>

#include "settings/Conversions.h"

namespace tarvola {

namespace {
constexpr double kTrustBand = 0.15;      // samples within 15 % of the cell mean
constexpr std::size_t kTrustedCount = 10;  // a cell needs more than this many samples
constexpr std::size_t kCloudCount = 5;     // a cell shows its cloud with more than this many
constexpr int kCopiesPerBin = 11;
constexpr double kFullMapSamples = 60000.0;

bool withinBand(double sample, double mean)
{
    return std::fabs(sample - mean) <= kTrustBand * mean;
}

double clampPercent(double v)
{
    return std::clamp(v, -static_cast<double>(kLineLimit), static_cast<double>(kLineLimit));
}
} // namespace

double PressureCell::mean() const
{
    if (m_samples.empty())
        return 0;
    double sum = 0;
    for (double s : m_samples)
        sum += s;
    return sum / static_cast<double>(m_samples.size());
}

double PressureCell::trustedAverage() const
{
    if (m_samples.size() <= kTrustedCount)
        return 0;
    const double cellMean = mean();
    double sum = 0;
    std::size_t n = 0;
    for (double s : m_samples) {
        if (withinBand(s, cellMean)) {
            sum += s;
            ++n;
        }
    }
    return n ? sum / static_cast<double>(n) : 0;
}

int binPressureValue(std::size_t bin, bool absoluteSensor)
{
    if (absoluteSensor) {
        if (bin >= kPointMapBins)
            return -1;
        const double code = std::trunc(static_cast<double>(bin) * 156.0 / 72.0 + 11.0);
        return static_cast<int>(truncateTowardZero(manifoldCodeToKPa(static_cast<std::uint8_t>(code), true)));
    }
    if (bin > 24)
        return -1;
    const double code = 83.0 - 3.0 * static_cast<double>(bin);
    return static_cast<int>(roundHalfAway(101.0 - pressureCodeToKPa(code)));
}

int binPressureCell(std::size_t bin, bool absoluteSensor)
{
    const int value = binPressureValue(bin, absoluteSensor);
    if (value < 0)
        return -1;
    const int cell = value / 2;
    return cell < kPressureCells ? cell : -1;
}

double fillLevel(const CPointMap& map)
{
    return std::min(100.0, map.total * 2.0 * 100.0 / kFullMapSamples);
}

std::vector<CloudPoint> cloudOf(const PressureCells& cells)
{
    std::vector<CloudPoint> out;
    for (int k = 0; k < kPressureCells; ++k) {
        const PressureCell& cell = cells[static_cast<std::size_t>(k)];
        if (cell.count() <= kCloudCount)
            continue;
        const double cellMean = cell.mean();
        for (double s : cell.samples())
            if (withinBand(s, cellMean))
                out.push_back({s, 2.0 * k});
    }
    return out;
}

SortedPointMaps sortPointMaps(const CPointMap& petrol, const CPointMap& gas, bool absoluteSensor)
{
    SortedPointMaps out;
    out.petrolFill = fillLevel(petrol);
    out.gasFill = fillLevel(gas);
    const auto sortInto = [absoluteSensor](const CPointMap& map, PressureCells& cells) {
        for (std::size_t i = 0; i < kPointMapBins; ++i) {
            const int k = binPressureCell(i, absoluteSensor);
            if (k < 0 || map.counts[i] == 0)
                continue;
            const double t = roundHalfAway(static_cast<double>(map.sums[i]) / map.counts[i] * 0.004, 2);
            if (t > 0)
                for (int copy = 0; copy < kCopiesPerBin; ++copy)
                    cells[static_cast<std::size_t>(k)].add(t);
        }
    };
    sortInto(petrol, out.petrol);
    sortInto(gas, out.gas);
    return out;
}

LineProposal proposeLineChange(const PressureCells& petrol, const PressureCells& gas)
{
    std::array<double, kSetupTimesCount> sums{};
    std::array<int, kSetupTimesCount> counts{};
    for (std::size_t k = 0; k < static_cast<std::size_t>(kPressureCells); ++k) {
        const double p = petrol[k].trustedAverage();
        const double g = gas[k].trustedAverage();
        const double d = (p > 0 && g > 0) ? (g - p) * 100.0 / p : 0.0;
        const auto b = static_cast<std::size_t>(std::clamp(std::floor(p), 0.0, kLineEntries - 1.0));
        sums[b] += d;
        ++counts[b];
    }
    std::array<double, kSetupTimesCount> means{};
    for (std::size_t b = 0; b < kSetupTimesCount; ++b)
        means[b] = counts[b] ? sums[b] / counts[b] : 0.0;
    return proposeFromBuckets(means);
}

LineProposal proposeFromBuckets(std::array<double, kSetupTimesCount> m)
{
    LineProposal out;
    constexpr int n = kLineEntries;
    for (double& v : m)
        v = clampPercent(v);
    const auto at = [&m](int b) -> double& { return m[static_cast<std::size_t>(b)]; };

    out.first = 0;
    for (int b = 0; b + 1 < n; ++b)
        if (at(b) == 0 && at(b + 1) != 0) {
            out.first = b + 1;
            break;
        }
    out.last = n - 1;
    for (int b = n - 1; b >= 1; --b)
        if (at(b) == 0 && at(b - 1) != 0) {
            out.last = b - 1;
            break;
        }
    // An empty bucket takes the next filled one above it.
    for (int b = 0; b < n; ++b) {
        if (at(b) != 0)
            continue;
        for (int above = b + 1; above < n; ++above)
            if (at(above) != 0) {
                at(b) = at(above);
                break;
            }
    }
    const double firstValue = at(out.first);
    const double lastValue = at(out.last);
    for (int b = 0; b < out.first; ++b)
        at(b) = firstValue;
    for (int b = out.last + 1; b < n; ++b)
        at(b) = lastValue;
    out.buckets = m;

    for (int b = 0; b < n; ++b) {
        const double s = (b == 0 || b == n - 1) ? at(b) : (at(b - 1) + at(b) + at(b + 1)) / 3.0;
        out.smoothed[static_cast<std::size_t>(b)] = s;
        out.change[static_cast<std::size_t>(b)] = static_cast<int>(roundHalfAway(s));
    }
    return out;
}

MultiplierLine applyProposal(const MultiplierLine& line, const LineProposal& proposal)
{
    MultiplierLine out = line;
    for (std::size_t b = 0; b < kSetupTimesCount; ++b)
        out[b] = clampPercent(line[b] + proposal.change[b]);
    return out;
}

double multiplierOf(double percent)
{
    return (percent + 100.0) / 100.0;
}

int percentOf(double multiplier)
{
    return static_cast<int>(truncateTowardZero((multiplier - 1.0) * 100.0));
}

double draggedMultiplier(double y)
{
    return std::clamp(roundHalfAway(y, 2), 0.5, 1.5);
}

double multiplierUp(double x)
{
    return x < 1.5 ? x + 0.01 : x;
}

double multiplierDown(double x)
{
    return x > 0.5 ? x - 0.01 : x;
}

MultiplierLine incrementedLine(const MultiplierLine& line, bool up)
{
    MultiplierLine out = line;
    for (double& v : out)
        v = clampPercent(v + (up ? 1 : -1));
    return out;
}

} // namespace tarvola
