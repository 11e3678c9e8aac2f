#pragma once
// The oscilloscope: nine live values drawn as scrolling curves, each scaled by its channel's full
// scale into the chart's 0..100, paused and resumed by the user, played back from a recording.
//
// OscilloscopeModel holds the page's state (the curves, paused, the next x) and every rule of the
// page; the widgets only draw it and pass clicks on.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "monitor/CDiagFile.h"
#include "monitor/DiagValues.h"
#include "monitor/ScrollSeries.h"

namespace tarvola {

class CDiagData;

namespace osc {

constexpr int kChannels = 9;
enum Channel : int { Rpm, PetrolTime, GasTime, GasPressure, Manifold, GasTemp, ReducerTemp, Lambda1, Lambda2 };

struct Rgb {
    std::uint8_t r, g, b;
};

struct ChannelInfo {
    const char* label;  // Polish, for translate()
    double fullScale;   // the value drawn at the top of the chart
    Rgb colour;
    bool shownAtStart;
};

// The channel table, by channel number.
const std::array<ChannelInfo, kChannels>& channels();

// The nine values of a live sample in their units: engine speed, entry 0's petrol time (not the
// larger of cylinder 1's two), that time plus entry 0's gas correction, gas and manifold pressure,
// gas and reducer temperature, lambda 1 and 2.
std::array<double, kChannels> channelValues(const CDiag& sample, const DiagContext& context);
// The same nine values of a recording record (cylinder 1's petrol and gas times).
std::array<double, kChannels> channelValues(const DiagRecord& record);

// The height at which a value of `channel` is drawn: value / full scale × 100 (not yet clamped).
float chartHeight(int channel, double value);

// The units the eleven grid labels show. The scale list offers them in the order of kScaleOrder.
enum class GridScale : int { InjectionTime = 0, Rpm = 1, Pressure = 2, Temperature = 3 };
constexpr std::array<GridScale, 4> kScaleOrder{GridScale::Rpm, GridScale::InjectionTime, GridScale::Pressure,
                                               GridScale::Temperature};
// The list text of a scale (Polish message key: "RPM", "ms", "kPa", "C").
const char* scaleName(GridScale scale);
constexpr int kGridLabels = 11;
// Grid label i (0 at the bottom, 10 at the top) for a scale: 4·i, 1000·i, 25·i or 10·i.
std::string gridLabel(GridScale scale, int i);

// The x step between two drawn samples.
constexpr float kStepX = 5;

} // namespace osc

class OscilloscopeModel {
public:
    OscilloscopeModel();

    ScrollSeries& chart() { return m_chart; }
    const ScrollSeries& chart() const { return m_chart; }
    bool paused() const { return m_paused; }
    float nextX() const { return m_nextX; }

    void setChannelShown(int channel, bool shown) { m_chart.setVisible(channel, shown); }

    // ">": the chart starts again empty at x = 0 and follows the live samples.
    void resume();
    // "||" and opening a file: live samples are no longer drawn.
    void pause() { m_paused = true; }
    // Empties the chart and restarts x without changing paused.
    void clear();

    // One refresh while connected: when not paused and the buffer holds two samples or more, the
    // one before the newest is drawn at the next x. True when something was drawn.
    bool liveStep(const CDiagData& buffer, const DiagContext& context);
    // Draws one sample at the next x (the values in their units).
    void draw(const std::array<double, osc::kChannels>& values);
    // Clears the chart and draws every record of a recording; the page stays paused.
    void load(const std::vector<DiagRecord>& records);

private:
    ScrollSeries m_chart;
    bool m_paused = true;
    float m_nextX = 0;
};

// The live values beside the calibration chart in the charts dialog, as they read: lambda 1 and 2
// ("%.2f"), gas pressure, manifold pressure (never below 0), gas and reducer temperature ("%.0f"),
// and the two OBD corrections the controller computed.
struct LivePanelTexts {
    std::string lambda1, lambda2, gasPressure, manifold, gasTemp, reducerTemp, fastTrim, slowTrim;
};
LivePanelTexts livePanelTexts(const CDiag& sample, const DiagContext& context);

// The folder for recordings ($XDG_DATA_HOME/TARVOLA/Oscyloskop/, default
// ~/.local/share/TARVOLA/Oscyloskop/) with a trailing separator, created when missing. Nothing when it
// cannot be found or made.
std::optional<std::string> oscilloscopeFolder();

} // namespace tarvola
