// The correction map's rules: operating-point cells, labels, colours, the selection rectangle.

#include <gtest/gtest.h>

#include <cmath>

#include "maps/MapModel.h"

using namespace tarvola;

TEST(MapModel, OperatingPointCellsStayOnTheMap)
{
    const struct {
        double rpm, ms;
        bool halfMsRows;
        MapCell cell;
    } cases[] = {
        {999, 0.4, false, {0, 0}},     {7500, 25, false, {14, 18}}, {1000, 2.0, false, {1, 1}},
        {1499, 2.99, false, {1, 1}},
        {800, 2.6, true, {0, 4}}, // half-millisecond rows: 2.6 ms counts as 5.2
        // a stopped engine or nonsense from the line
        {0, 0, false, {0, 0}},         {-5, -3, false, {0, 0}},     {1e12, 1e9, false, {14, 18}},
        {std::nan(""), std::nan(""), true, {0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cellForOperatingPoint(c.rpm, c.ms, c.halfMsRows), c.cell) << c.rpm << " rpm, " << c.ms << " ms";
    EXPECT_EQ(mapColumnLabel(0), "500");
    EXPECT_EQ(mapColumnLabel(14), "7500");
    EXPECT_EQ(mapRowLabel(0), "< 2");
    EXPECT_EQ(mapRowLabel(1), "3");
    EXPECT_EQ(mapRowLabel(18), "20");
}

TEST(MapModel, ValueColoursTruncateAndDoNotWrapBeyondTheScale)
{
    const std::pair<double, Rgb> cases[] = {
        {0, {255, 255, 255}},   {10, {255, 205, 205}}, {-10, {255, 255, 205}}, {50, {255, 5, 5}},
        {-50, {255, 255, 5}},   {0.5, {255, 252, 252}}, {155, {255, 0, 0}},     {-100, {255, 255, 0}},
    };
    for (const auto& [percent, colour] : cases)
        EXPECT_EQ(valueColour(percent), colour) << percent;
}

TEST(MapModel, SelectionRectangleFollowsTheFirstRowAndColumn)
{
    MapSelection s;
    EXPECT_FALSE(s.rectangle());
    s.dragTo(2, 3, 4, 5);
    EXPECT_EQ(s.rectangle(), (MapRect{3, 2, 3, 3}));

    // A gap ends a run; a cell above the first row in a later column does not move the start.
    s.clear();
    s.set(1, 7, true);
    s.set(3, 7, true);
    s.set(2, 0, true);
    EXPECT_EQ(s.rectangle(), (MapRect{7, 1, 1, 1}));

    // Runs stop at the edge of the map.
    s.clear();
    s.dragTo(13, 17, 20, 30);
    EXPECT_EQ(s.rectangle(), (MapRect{17, 13, 2, 2}));
}

TEST(MapModel, PressTogglesAndDragGrowsOnlyRightAndDown)
{
    MapSelection s;
    s.press(5, 5);
    EXPECT_TRUE(s.isSelected(5, 5));
    s.press(5, 5);
    EXPECT_FALSE(s.any());
    s.dragTo(5, 5, 3, 3); // up and to the left: only the pressed point's own corner would qualify
    EXPECT_FALSE(s.any());
    s.dragTo(5, 5, 5, 6);
    EXPECT_EQ(s.rectangle(), (MapRect{5, 5, 2, 1}));
}
