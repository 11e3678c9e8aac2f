#include "monitor/ChartReduction.h"

#include <algorithm>
#include <cmath>

namespace tarvola {

std::vector<ChartPoint> reduceToColumns(const std::deque<ChartPoint>& points, double x0, double x1, int columns)
{
    std::vector<ChartPoint> out;
    if (points.empty() || columns <= 0 || !(x1 > x0))
        return out;
    auto first = std::lower_bound(points.begin(), points.end(), x0,
                                  [](const ChartPoint& p, double v) { return p.x < v; });
    auto last = std::upper_bound(points.begin(), points.end(), x1,
                                 [](double v, const ChartPoint& p) { return v < p.x; });
    // One point beyond each edge, so the line leaves the chart rather than stopping short of it.
    if (first != points.begin())
        --first;
    if (last != points.end())
        ++last;
    const auto count = last - first;
    if (count <= 0)
        return out;
    if (count <= 4L * columns) {
        out.assign(first, last);
        return out;
    }
    const double perColumn = static_cast<double>(columns) / (x1 - x0);
    const auto columnOf = [&](float x) {
        return static_cast<long>(std::floor((static_cast<double>(x) - x0) * perColumn));
    };
    out.reserve(static_cast<std::size_t>(columns) * 4 + 2);
    auto it = first;
    while (it != last) {
        const long column = columnOf(it->x);
        auto lo = it, hi = it, end = it;
        while (end != last && columnOf(end->x) == column) {
            if (end->y < lo->y)
                lo = end;
            if (end->y > hi->y)
                hi = end;
            ++end;
        }
        const auto back = end - 1;
        out.push_back(*it);
        // The extremes in the order they came, each once.
        auto a = lo, b = hi;
        if (b < a)
            std::swap(a, b);
        if (a != it && a != back)
            out.push_back(*a);
        if (b != it && b != back && b != a)
            out.push_back(*b);
        if (back != it)
            out.push_back(*back);
        it = end;
    }
    return out;
}

} // namespace tarvola
