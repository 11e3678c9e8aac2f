// The correction map's rules: operating-point cells, labels, colours, the selection rectangle.

#include <gtest/gtest.h>

#include <cmath>

#include "maps/MapModel.h"

using namespace tarvola;

TEST(MapModel, OperatingPointCells)
{
    EXPECT_EQ(cellForOperatingPoint(999, 0.4, false), (MapCell{0, 0}));
    EXPECT_EQ(cellForOperatingPoint(7500, 25, false), (MapCell{14, 18}));
    EXPECT_EQ(cellForOperatingPoint(1000, 2.0, false), (MapCell{1, 1}));
    EXPECT_EQ(cellForOperatingPoint(1499, 2.99, false), (MapCell{1, 1}));
    // Half-millisecond rows: 2.6 ms counts as 5.2 and falls into row 4.
    EXPECT_EQ(cellForOperatingPoint(800, 2.6, true), (MapCell{0, 4}));
    // A stopped engine or nonsense from the line stays on the map.
    EXPECT_EQ(cellForOperatingPoint(0, 0, false), (MapCell{0, 0}));
    EXPECT_EQ(cellForOperatingPoint(-5, -3, false), (MapCell{0, 0}));
    EXPECT_EQ(cellForOperatingPoint(1e12, 1e9, false), (MapCell{14, 18}));
    EXPECT_EQ(cellForOperatingPoint(std::nan(""), std::nan(""), true), (MapCell{0, 0}));
}

TEST(MapModel, Labels)
{
    EXPECT_EQ(mapColumnLabel(0), "500");
    EXPECT_EQ(mapColumnLabel(1), "1000");
    EXPECT_EQ(mapColumnLabel(14), "7500");
    EXPECT_EQ(mapRowLabel(0), "< 2");
    EXPECT_EQ(mapRowLabel(1), "3");
    EXPECT_EQ(mapRowLabel(18), "20");
}

TEST(MapModel, ValueColours)
{
    EXPECT_EQ(valueColour(0), (Rgb{255, 255, 255}));
    EXPECT_EQ(valueColour(10), (Rgb{255, 205, 205}));
    EXPECT_EQ(valueColour(-10), (Rgb{255, 255, 205}));
    EXPECT_EQ(valueColour(50), (Rgb{255, 5, 5}));
    EXPECT_EQ(valueColour(-50), (Rgb{255, 255, 5}));
    EXPECT_EQ(valueColour(0.5), (Rgb{255, 252, 252})); // truncated, not rounded
    // Values a controller may hold beyond the editable range do not wrap around.
    EXPECT_EQ(valueColour(155), (Rgb{255, 0, 0}));
    EXPECT_EQ(valueColour(-100), (Rgb{255, 255, 0}));
}

TEST(MapModel, SelectionRectangleFollowsTheFirstRowAndColumn)
{
    MapSelection s;
    EXPECT_FALSE(s.rectangle());
    s.dragTo(2, 3, 4, 5);
    EXPECT_EQ(s.rectangle(), (MapRect{3, 2, 3, 3}));

    // An L shape: three cells along row 3 from column 2, two more down column 2.
    s.clear();
    for (int c = 2; c <= 4; ++c)
        s.set(c, 3, true);
    s.set(2, 4, true);
    s.set(2, 5, true);
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

TEST(MapModel, MarkerStartsAtTheCornerAndReportsWhereItWas)
{
    OperatingPointMarker m;
    EXPECT_EQ(m.cell(), (MapCell{0, 0}));
    EXPECT_EQ(m.moveTo(2600, 4.2, false), (MapCell{0, 0}));
    EXPECT_EQ(m.cell(), (MapCell{4, 3}));
    EXPECT_EQ(m.moveTo(800, 2.1, false), (MapCell{4, 3}));
}
