#include "monitor/ScrollSeries.h"

#include <algorithm>
#include <cmath>

namespace tarvola {

namespace {
constexpr float kFollowAt = 0.9f;   // the newest point stays at nine tenths of the width
constexpr float kLeadRoom = 0.1f;   // room kept after the newest point when the data grow
constexpr float kLineStep = 0.01f;
constexpr float kPageStep = 0.5f;
} // namespace

ScrollSeries::ScrollSeries(float width) : m_width(width > 0 ? width : kDefaultWidth), m_highest(m_width) {}

void ScrollSeries::addSeries(int channel)
{
    m_series.try_emplace(channel);
}

const ChartSeries* ScrollSeries::series(int channel) const
{
    const auto it = m_series.find(channel);
    return it == m_series.end() ? nullptr : &it->second;
}

void ScrollSeries::setVisible(int channel, bool visible)
{
    if (const auto it = m_series.find(channel); it != m_series.end())
        it->second.visible = visible;
}

ScrollSeries::AddResult ScrollSeries::addPoint(int channel, float x, float y)
{
    const auto it = m_series.find(channel);
    if (it == m_series.end() || !std::isfinite(x))
        return {};
    AddResult result{true, false};
    auto& points = it->second.points;
    if (!points.empty()) {
        const float last = points.back().x;
        const bool lastShown = last >= m_left && last <= m_left + m_width;
        if (lastShown && x > m_left + kFollowAt * m_width) {
            m_left = x - kFollowAt * m_width;
            m_highest = std::max(m_highest, m_left + m_width);
            result.moved = true;
        } else if (x > m_highest && x > m_width) {
            m_highest = x + kLeadRoom * m_width;
        } else if (x < m_lowest) {
            m_lowest = x;
        }
    }
    const float clamped = std::isfinite(y) ? std::clamp(y, kYMin, kYMax) : kYMin;
    if (points.empty() || x > points.back().x) {
        points.push_back({x, clamped});
    } else {
        const auto at = std::lower_bound(points.begin(), points.end(), x,
                                         [](const ChartPoint& p, float v) { return p.x < v; });
        if (at != points.end() && at->x == x)
            at->y = clamped;
        else
            points.insert(at, {x, clamped});
    }
    if (points.size() > kMaxPoints) {
        points.erase(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(points.size() - kMaxPoints));
        recomputeLowest();
    }
    return result;
}

void ScrollSeries::clear()
{
    for (auto& [channel, s] : m_series)
        s.points.clear();
    m_left = 0;
    m_lowest = 0;
    m_highest = m_width;
}

void ScrollSeries::recomputeLowest()
{
    bool any = false;
    float lowest = 0;
    for (const auto& [channel, s] : m_series)
        if (!s.points.empty()) {
            lowest = any ? std::min(lowest, s.points.front().x) : s.points.front().x;
            any = true;
        }
    m_lowest = lowest;
    clampLeft();
}

ScrollBarState ScrollSeries::scrollBar() const
{
    const float span = m_highest - m_lowest;
    if (span <= 0)
        return {0, kScrollRange};
    const auto scaled = [&](float v) {
        return std::clamp(static_cast<int>(std::lround(v / span * kScrollRange)), 0, kScrollRange);
    };
    return {scaled(m_left - m_lowest), scaled(m_width)};
}

void ScrollSeries::lineLeft()
{
    if (m_left >= 1)
        m_left -= kLineStep * m_width;
    clampLeft();
}

void ScrollSeries::lineRight()
{
    m_left += kLineStep * m_width;
    clampLeft();
}

void ScrollSeries::pageLeft()
{
    m_left = std::max(0.0f, m_left - kPageStep * m_width);
    clampLeft();
}

void ScrollSeries::pageRight()
{
    m_left += kPageStep * m_width;
    clampLeft();
}

void ScrollSeries::thumbTo(int position)
{
    m_left = static_cast<float>(position) / kScrollRange * (m_highest - m_lowest) + m_lowest;
    clampLeft();
}

void ScrollSeries::clampLeft()
{
    m_left = std::max(m_lowest, std::min(m_left, m_highest - m_width));
}

} // namespace tarvola
