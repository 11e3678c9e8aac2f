#pragma once
// What a chart draws of a long curve: per pixel column at most four points (the first, the lowest,
// the highest and the last of the column, in the order they came), so drawing costs the same for a
// window of a hundred points as for one of a hundred thousand. A curve with few points per column
// keeps every point.

#include <deque>
#include <vector>

#include "monitor/ScrollSeries.h"

namespace tarvola {

// The polyline to draw for the points of `points` (ascending x) between x0 and x1 over `columns`
// pixel columns, in data units. The nearest point outside the range on each side is kept, so the
// line runs on to the chart's edges. Empty for an empty range, no columns or x1 <= x0.
std::vector<ChartPoint> reduceToColumns(const std::deque<ChartPoint>& points, double x0, double x1, int columns);

} // namespace tarvola
