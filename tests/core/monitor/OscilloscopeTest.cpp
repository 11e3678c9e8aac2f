// The scrolling chart's data: the point limit, the scroll bar's moves, the per-column reduction of
// long curves and the grid labels.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "monitor/ChartReduction.h"
#include "monitor/Oscilloscope.h"
#include "monitor/ScrollSeries.h"

namespace tarvola {
namespace {

TEST(ScrollSeries, KeepsTheNewestPointsAndClampsHeights)
{
    ScrollSeries s;
    s.addSeries(1);
    s.addPoint(1, 0, 120);
    s.addPoint(1, 5, -3);
    EXPECT_FLOAT_EQ(s.series(1)->points[0].y, 100);
    EXPECT_FLOAT_EQ(s.series(1)->points[1].y, 0);
    for (std::size_t i = 2; i < ScrollSeries::kMaxPoints + 5; ++i)
        s.addPoint(1, static_cast<float>(i) * 5, 10);
    const auto& pts = s.series(1)->points;
    ASSERT_EQ(pts.size(), ScrollSeries::kMaxPoints);
    EXPECT_FLOAT_EQ(pts.front().x, 25);
    EXPECT_FLOAT_EQ(s.lowest(), 25);
    EXPECT_GE(s.left(), s.lowest());
    s.clear();
    EXPECT_TRUE(s.series(1)->points.empty());
    EXPECT_FLOAT_EQ(s.left(), 0);
}

TEST(ScrollSeries, ScrollMovesStayWithinTheData)
{
    ScrollSeries s;
    s.addSeries(0);
    for (int i = 0; i <= 600; ++i)
        s.addPoint(0, static_cast<float>(i) * 5, 0);  // up to x = 3000: left 2100, data 0..3100
    EXPECT_FLOAT_EQ(s.left(), 2100);
    EXPECT_FLOAT_EQ(s.highest(), 3100);
    EXPECT_EQ(s.scrollBar().position, 677);
    EXPECT_EQ(s.scrollBar().page, 323);
    s.pageRight();
    EXPECT_FLOAT_EQ(s.left(), 2100);  // already at highest − width
    s.lineLeft();
    EXPECT_FLOAT_EQ(s.left(), 2090);
    s.thumbTo(100);
    EXPECT_FLOAT_EQ(s.left(), 310);
    for (int i = 0; i < 5; ++i)
        s.pageLeft();
    EXPECT_FLOAT_EQ(s.left(), 0);
    s.lineLeft();
    EXPECT_FLOAT_EQ(s.left(), 0);
}

TEST(ChartReduction, LongCurvesKeepTheirExtremesWithFewPointsPerColumn)
{
    std::deque<ChartPoint> pts;
    for (int i = 0; i < 100000; ++i)
        pts.push_back({static_cast<float>(i), static_cast<float>(50 + 40 * std::sin(i * 0.37))});
    pts[51234].y = 99.5f;  // a spike inside one column
    const auto out = reduceToColumns(pts, 1000, 99000, 500);
    EXPECT_LE(out.size(), 4u * 500 + 2);
    EXPECT_TRUE(std::any_of(out.begin(), out.end(), [](const ChartPoint& p) { return p.y == 99.5f; }));
    EXPECT_TRUE(std::is_sorted(out.begin(), out.end(), [](const ChartPoint& a, const ChartPoint& b) { return a.x < b.x; }));
    // The neighbours outside the range carry the line to the edges.
    EXPECT_FLOAT_EQ(out.front().x, 999);
    EXPECT_FLOAT_EQ(out.back().x, 99001);

    // A short curve is drawn point by point.
    const std::deque<ChartPoint> few{{0, 1}, {5, 2}, {10, 3}, {15, 4}};
    EXPECT_EQ(reduceToColumns(few, 4, 11, 300).size(), 4u);
    EXPECT_TRUE(reduceToColumns(few, 11, 4, 300).empty());
}

TEST(Oscilloscope, GridLabelsFollowTheChosenScale)
{
    using osc::GridScale;
    struct Row {
        GridScale scale;
        const char* bottom1;
        const char* top;
    };
    const Row rows[] = {{GridScale::InjectionTime, "4", "40"}, {GridScale::Rpm, "1000", "10000"},
                        {GridScale::Pressure, "25", "250"},    {GridScale::Temperature, "10", "100"}};
    for (const Row& r : rows) {
        EXPECT_EQ(osc::gridLabel(r.scale, 0), "0");
        EXPECT_EQ(osc::gridLabel(r.scale, 1), r.bottom1);
        EXPECT_EQ(osc::gridLabel(r.scale, 10), r.top);
    }
}

} // namespace
} // namespace tarvola
