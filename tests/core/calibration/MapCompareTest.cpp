// The differences a comparison with a settings file shows: rounding of a file's fractional values,
// the sign and the tint that saturates at ±20.

#include <gtest/gtest.h>

#include <cmath>

#include "calibration/MapCompare.h"

using namespace tarvola;

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
