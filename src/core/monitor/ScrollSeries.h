#pragma once
// The scrolling chart's data: curves keyed by channel, each at most 10000 points ordered by x, a
// visible x window that follows the newest point, and the scroll bar's picture of that window.
//
// Every y lies in 0..100 (points are clamped when added); x grows with time. The window keeps the
// newest point at nine tenths of its width once the data reach that far, so a live curve scrolls by
// itself; the scroll bar moves it back over older points.

#include <cstddef>
#include <deque>
#include <map>

namespace tarvola {

struct ChartPoint {
    float x = 0;
    float y = 0;
};

struct ChartSeries {
    std::deque<ChartPoint> points;  // ascending x, one point per x
    bool visible = true;
};

// The scroll bar as it shows the window within the data: range 0..kScrollRange.
struct ScrollBarState {
    int position = 0;
    int page = 0;
};

class ScrollSeries {
public:
    static constexpr std::size_t kMaxPoints = 10000;
    static constexpr float kYMin = 0, kYMax = 100;
    static constexpr int kScrollRange = 1000;
    static constexpr float kDefaultWidth = 1000;

    struct AddResult {
        bool added = false;   // false: no such channel
        bool moved = false;   // the window scrolled to follow the point
    };

    explicit ScrollSeries(float width = kDefaultWidth);

    // Creates an empty curve for `channel` (an existing one is kept).
    void addSeries(int channel);
    bool hasSeries(int channel) const { return m_series.count(channel) != 0; }
    const ChartSeries* series(int channel) const;
    const std::map<int, ChartSeries>& allSeries() const { return m_series; }
    void setVisible(int channel, bool visible);

    // Adds (x, y) to the channel's curve, y clamped into 0..100; a point at an x already held
    // replaces it. The oldest points go when a curve passes kMaxPoints.
    AddResult addPoint(int channel, float x, float y);
    // Empties every curve and puts the window back at the start.
    void clear();

    float left() const { return m_left; }
    float width() const { return m_width; }
    float lowest() const { return m_lowest; }
    float highest() const { return m_highest; }

    ScrollBarState scrollBar() const;
    // The scroll bar's moves: a line is 1 % of the width, a page half of it; a thumb position is
    // 0..kScrollRange. The window never leaves the data.
    void lineLeft();
    void lineRight();
    void pageLeft();
    void pageRight();
    void thumbTo(int position);

private:
    void clampLeft();
    void recomputeLowest();

    std::map<int, ChartSeries> m_series;
    float m_left = 0;
    float m_width;
    float m_lowest = 0;
    float m_highest;
};

} // namespace tarvola
