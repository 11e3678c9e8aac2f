// The differences a comparison with a settings file shows: rounding of a file's fractional values,
// the sign, the tint that saturates at ±20 and the count of differing cells.

#include <gtest/gtest.h>

#include <cmath>

#include "calibration/MapCompare.h"
#include "calibration/MapGridModel.h"
#include "settings/CDeviceSettings.h"
#include "core/device/ScriptedDevice.h"

using namespace tarvola;
using namespace tarvola::test;

TEST(MapCompare, DifferenceOfOneCell)
{
    struct Row {
        double controller, file;
        int percent;
        const char* text;
        Rgb colour;
    };
    const Row rows[] = {
        {5, 5, 0, "0", {255, 255, 255}},
        {12, 9, 3, "+3", {255, 239, 221}},
        {-2, 0, -2, "\u22122", {237, 244, 255}},
        {0, 0.4, 0, "0", {255, 255, 255}},   // a file's fraction that rounds away is no difference
        {0, -0.5, 1, "+1", {255, 250, 244}}, // halves go away from zero
        {50, 30, 20, "+20", {255, 150, 30}},
        {-50, 50, -100, "\u2212100", {70, 140, 255}}, // beyond ±20 the tint stays saturated
        {0, std::nan(""), 0, "0", {255, 255, 255}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(mapDifference(r.controller, r.file), (MapDifference{r.percent, r.text, r.colour}));
    }
}

struct MapCompareGrid : ScriptedDevice {};

TEST_F(MapCompareGrid, CountsTheCellsThatDiffer)
{
    CMapGridModel grid(device);
    CDeviceSettings file;
    grid.loadFromRecord(file);
    file.m_injMapTable[0][14] = 3;
    file.m_injMapTable[18][0] = -0.2;
    file.m_injMapTable[7][7] = -1;
    EXPECT_EQ(differingCells(grid, file), 2);
    EXPECT_EQ(cellDifference(grid, file, 14, 0).text, "\u22123");
    EXPECT_EQ(cellDifference(grid, file, 15, 0), MapDifference{});
}
