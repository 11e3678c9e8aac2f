#pragma once
// What a recording viewer shows of a recording: the visible time window with its zoom and pan, the
// cursor, the records they stand for, the time axis' ticks, and the curves of the oscilloscope's
// channels over the whole recording. Times are seconds from the first record.
//
// RecordingView never lets the window leave the recording nor grow wider than it; the narrowest
// window shows kMinRecordsShown sample periods. A recording of one record or none still has a window
// of that width, so drawing never divides by zero.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "monitor/Oscilloscope.h"
#include "monitor/ScrollSeries.h"

namespace tarvola {

class RecordingData;

class RecordingView {
public:
    static constexpr std::size_t kMinRecordsShown = 10;

    // A new recording of `records` records: the whole of it is shown, no cursor.
    void setRecords(std::size_t records);
    std::size_t records() const { return m_records; }
    // Time of the last record (0 with fewer than two).
    double duration() const;
    double minimumWidth() const;

    double left() const { return m_left; }
    double right() const { return m_left + m_width; }
    double width() const { return m_width; }
    bool fitted() const;

    // Zoom to fit: the whole recording.
    void fit();
    // Multiplies the width by `factor` (below 1 zooms in), keeping the time `anchor` at the same place
    // in the window.
    void zoom(double factor, double anchor);
    // Shows [from, to] (either order), widened about its middle to the narrowest window.
    void zoomTo(double from, double to);
    void pan(double seconds);
    void panTo(double left);

    // The cursor sits on the record nearest to `seconds`, within the recording. No cursor in an empty
    // recording.
    void setCursor(double seconds);
    void clearCursor() { m_cursor.reset(); }
    std::optional<std::size_t> cursorRecord() const { return m_cursor; }

    // Records [first, end) taken inside the window; empty when none is.
    struct Range {
        std::size_t first = 0, end = 0;
    };
    Range visibleRecords() const;

private:
    void clamp();

    std::size_t m_records = 0;
    double m_left = 0;
    double m_width = 1;
    std::optional<std::size_t> m_cursor;
};

// Grid lines of the time axis for a window: a step of 1, 2 or 5 times a power of ten that gives at
// most `maxTicks` lines, the times of the lines inside the window, and the decimals their labels need.
struct TimeTicks {
    double step = 1;
    int decimals = 0;
    std::vector<double> at;
};
TimeTicks timeTicks(double left, double right, int maxTicks);
// A tick's label: the time in seconds with `decimals` decimals, "C" convention.
std::string tickLabel(double seconds, int decimals);

// The oscilloscope's nine curves over a whole recording: x the record's time in seconds, y the value
// scaled by its channel's full scale into the chart's height, clamped like a live point.
using RecordingCurves = std::array<ChartSeries, osc::kChannels>;
RecordingCurves recordingCurves(const RecordingData& data);
// The channel that draws field `field` of a record (0..23), or -1 for a field no curve shows.
int recordingFieldChannel(std::size_t field);

} // namespace tarvola
