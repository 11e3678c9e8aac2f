#include "monitor/RecordingView.h"

#include <algorithm>
#include <cmath>

#include "monitor/CDiagFile.h"
#include "monitor/RecordingFields.h"
#include "monitor/RecordingLoader.h"
#include "platform/NumberText.h"

namespace tarvola {

void RecordingView::setRecords(std::size_t records)
{
    m_records = records;
    m_cursor.reset();
    fit();
}

double RecordingView::duration() const
{
    return m_records < 2 ? 0.0 : recordTimeSeconds(m_records - 1);
}

double RecordingView::minimumWidth() const
{
    return recordTimeSeconds(kMinRecordsShown);
}

bool RecordingView::fitted() const
{
    return m_left <= 0 && m_width >= std::max(duration(), minimumWidth());
}

void RecordingView::fit()
{
    m_left = 0;
    m_width = std::max(duration(), minimumWidth());
}

void RecordingView::zoom(double factor, double anchor)
{
    if (!(factor > 0) || !std::isfinite(factor) || !std::isfinite(anchor))
        return;
    const double full = std::max(duration(), minimumWidth());
    const double width = std::clamp(m_width * factor, minimumWidth(), full);
    // The anchor keeps its share of the window, so the point under the mouse stays under it.
    const double share = std::clamp((anchor - m_left) / m_width, 0.0, 1.0);
    m_left = anchor - share * width;
    m_width = width;
    clamp();
}

void RecordingView::zoomTo(double from, double to)
{
    if (!std::isfinite(from) || !std::isfinite(to))
        return;
    if (to < from)
        std::swap(from, to);
    const double full = std::max(duration(), minimumWidth());
    const double width = std::clamp(to - from, minimumWidth(), full);
    m_left = (from + to) / 2 - width / 2;
    m_width = width;
    clamp();
}

void RecordingView::pan(double seconds)
{
    panTo(m_left + seconds);
}

void RecordingView::panTo(double left)
{
    if (!std::isfinite(left))
        return;
    m_left = left;
    clamp();
}

void RecordingView::clamp()
{
    m_left = std::clamp(m_left, 0.0, std::max(0.0, duration() - m_width));
}

void RecordingView::setCursor(double seconds)
{
    if (m_records == 0 || std::isnan(seconds)) {
        m_cursor.reset();
        return;
    }
    m_cursor = std::min(recordAtSeconds(seconds), m_records - 1);
}

RecordingView::Range RecordingView::visibleRecords() const
{
    if (m_records == 0)
        return {};
    const double period = recordingSamplePeriodSeconds();
    // Records exactly on an edge belong to the window; a hair of tolerance keeps float times on it.
    const double epsilon = period * 1e-6;
    const auto first = static_cast<std::size_t>(std::ceil(std::max(0.0, m_left - epsilon) / period));
    const double last = std::floor((right() + epsilon) / period);
    const std::size_t end = std::min(m_records, static_cast<std::size_t>(std::max(0.0, last)) + 1);
    return first < end ? Range{first, end} : Range{};
}

TimeTicks timeTicks(double left, double right, int maxTicks)
{
    TimeTicks ticks;
    if (!(right > left) || maxTicks < 1 || !std::isfinite(left) || !std::isfinite(right))
        return ticks;
    const double rough = (right - left) / maxTicks;
    int exponent = static_cast<int>(std::floor(std::log10(rough)));
    double step = 0;
    for (;; ++exponent) {
        const double power = std::pow(10.0, exponent);
        for (const double m : {1.0, 2.0, 5.0}) {
            if (m * power >= rough) {
                step = m * power;
                break;
            }
        }
        if (step > 0)
            break;
    }
    ticks.step = step;
    ticks.decimals = std::max(0, -exponent);
    for (double k = std::ceil(left / step); k * step <= right + step * 1e-9; k += 1)
        ticks.at.push_back(k * step);
    return ticks;
}

std::string tickLabel(double seconds, int decimals)
{
    // Rounding noise must not print "-0".
    if (std::fabs(seconds) < 1e-9)
        seconds = 0;
    return fixedText(seconds, decimals);
}

int recordingFieldChannel(std::size_t field)
{
    // Read off the channels' own values of a record whose fields are all different, so the curves
    // and this table cannot disagree.
    static const std::array<int, kRecordFields> table = [] {
        std::array<double, kRecordFields> probe{};
        for (std::size_t f = 0; f < kRecordFields; ++f)
            probe[f] = static_cast<double>(f + 1);
        const auto values = osc::channelValues(DiagRecord::fromFields(probe));
        std::array<int, kRecordFields> out{};
        out.fill(-1);
        for (int c = 0; c < osc::kChannels; ++c) {
            const double v = values[static_cast<std::size_t>(c)];
            if (v >= 1 && v <= static_cast<double>(kRecordFields))
                out[static_cast<std::size_t>(v) - 1] = c;
        }
        return out;
    }();
    return field < kRecordFields ? table[field] : -1;
}

RecordingCurves recordingCurves(const RecordingData& data)
{
    RecordingCurves curves;
    std::array<double, kRecordFields> fields{};
    for (std::size_t i = 0; i < data.size(); ++i) {
        for (std::size_t f = 0; f < kRecordFields; ++f)
            fields[f] = data.value(f, i);
        const auto values = osc::channelValues(DiagRecord::fromFields(fields));
        const auto x = static_cast<float>(recordTimeSeconds(i));
        for (int c = 0; c < osc::kChannels; ++c) {
            const float y = std::clamp(osc::chartHeight(c, values[static_cast<std::size_t>(c)]), ScrollSeries::kYMin,
                                       ScrollSeries::kYMax);
            curves[static_cast<std::size_t>(c)].points.push_back({x, std::isnan(y) ? ScrollSeries::kYMin : y});
        }
    }
    return curves;
}

} // namespace tarvola
