#include "monitor/Oscilloscope.h"

#include "monitor/CDiagData.h"
#include "monitor/Readouts.h"
#include "platform/AppConfig.h"

namespace tarvola {

namespace osc {

const std::array<ChannelInfo, kChannels>& channels()
{
    static const std::array<ChannelInfo, kChannels> table{{
        {"RPM", 10000, {64, 0, 0}, true},
        {"Wtrysk benz.", 40, {255, 0, 0}, true},
        {"Wtrysk gazu", 40, {0, 0, 255}, true},
        {"Ciśnienie", 250, {64, 128, 128}, true},
        {"Podciśnienie", 250, {96, 96, 96}, true},
        {"Temp. gazu", 100, {0, 128, 0}, true},
        {"Temp. redukt.", 100, {128, 0, 255}, true},
        {"Lambda 1", 5, {255, 128, 255}, false},
        {"Lambda 2", 5, {128, 128, 0}, false},
    }};
    return table;
}

std::array<double, kChannels> channelValues(const CDiag& sample, const DiagContext& context)
{
    const DiagValues v = diagValues(sample, context);
    const double petrol = entryPetrolMs(sample, 0);
    return {v.rpm,        petrol,          petrol + entryCorrectionMs(sample, 0),
            v.gasPressureKPa, v.manifoldKPa, v.gasTempC,
            v.reducerTempC,   v.lambda1Volts, v.lambda2Volts};
}

std::array<double, kChannels> channelValues(const DiagRecord& r)
{
    return {r.rpm,         r.petrolMs[0], r.gasMs[0],       r.gasPressureKPa, r.manifoldKPa,
            r.gasTempC,    r.reducerTempC, r.lambda1Volts, r.lambda2Volts};
}

float chartHeight(int channel, double value)
{
    if (channel < 0 || channel >= kChannels)
        return 0;
    return static_cast<float>(value / channels()[static_cast<std::size_t>(channel)].fullScale * 100.0);
}

const char* scaleName(GridScale scale)
{
    switch (scale) {
    case GridScale::InjectionTime: return "ms";
    case GridScale::Rpm: return "RPM";
    case GridScale::Pressure: return "kPa";
    case GridScale::Temperature: return "C";
    }
    return "";
}

std::string gridLabel(GridScale scale, int i)
{
    int step = 0;
    switch (scale) {
    case GridScale::InjectionTime: step = 4; break;
    case GridScale::Rpm: step = 1000; break;
    case GridScale::Pressure: step = 25; break;
    case GridScale::Temperature: step = 10; break;
    }
    return std::to_string(step * i);
}

} // namespace osc

OscilloscopeModel::OscilloscopeModel()
{
    for (int c = 0; c < osc::kChannels; ++c) {
        m_chart.addSeries(c);
        m_chart.setVisible(c, osc::channels()[static_cast<std::size_t>(c)].shownAtStart);
    }
}

void OscilloscopeModel::resume()
{
    clear();
    m_paused = false;
}

void OscilloscopeModel::clear()
{
    m_chart.clear();
    m_nextX = 0;
}

bool OscilloscopeModel::liveStep(const CDiagData& buffer, const DiagContext& context)
{
    if (m_paused)
        return false;
    // The newest sample may still be the polling thread's latest, and is taken next time.
    std::vector<CDiag> two;
    const std::size_t count = buffer.count();
    if (count < 2)
        return false;
    buffer.copyRange(two, count - 2, count - 1);
    if (two.empty())
        return false;
    draw(osc::channelValues(two.front(), context));
    return true;
}

void OscilloscopeModel::draw(const std::array<double, osc::kChannels>& values)
{
    for (int c = 0; c < osc::kChannels; ++c)
        m_chart.addPoint(c, m_nextX, osc::chartHeight(c, values[static_cast<std::size_t>(c)]));
    m_nextX += osc::kStepX;
}

void OscilloscopeModel::load(const std::vector<DiagRecord>& records)
{
    clear();
    m_paused = true;
    for (const DiagRecord& r : records)
        draw(osc::channelValues(r));
}

LivePanelTexts livePanelTexts(const CDiag& sample, const DiagContext& context)
{
    const ReadoutTexts t = readoutTexts(sample, context, Channel3Repeat::Ignore);
    const DiagValues v = diagValues(sample, context);
    return {t.lambda1, t.lambda2, t.gasPressure, t.manifold, t.gasTemp, t.reducerTemp,
            std::to_string(v.obdCorrection1), std::to_string(v.obdCorrection2)};
}

std::optional<std::string> oscilloscopeFolder()
{
    return userDataFolder("Oscyloskop");
}

} // namespace tarvola
