// Fuel map inside controller memory: the check value, saturation of range edits, and rectangles
// cut at the map's edge.
#include <gtest/gtest.h>

#include "FuelMap.h"

using namespace tarvola::sim;

TEST(FuelMap, CheckValueSitsBigEndianAfterTheFactoryMapAndWrapsToZero) {
    ControllerMemory m;
    // 285 cells of 100, plus one, at the end of the block at address 320, high byte first.
    std::uint8_t tail[2];
    ASSERT_TRUE(m.read(ControllerMemory::kMapAddress + 286, 2, tail));
    EXPECT_EQ(tail[0] << 8 | tail[1], 285 * 100 + 1);
    std::array<std::uint8_t, 288> block{};
    std::fill(block.begin(), block.begin() + 257, std::uint8_t{255});  // 0xFFFF = 257 × 255: plus one wraps
    EXPECT_EQ(FuelMap::checkValue(block.data()), 0);
}

TEST(FuelMap, RangeEditsSaturateStopAtTheEdgeAndKeepTheCheck) {
    ControllerMemory m;
    FuelMap map(m);
    ASSERT_TRUE(map.editRange(0, 0, 2, 3, 1, 100 + 48));  // set +48
    EXPECT_EQ(FuelMap::percent(m, 1, 2), 48);
    EXPECT_EQ(FuelMap::percent(m, 2, 2), 0);
    EXPECT_EQ(FuelMap::percent(m, 1, 3), 0);
    ASSERT_TRUE(map.editRange(0, 0, 2, 3, 2, 5));  // add 5: stops at +50
    EXPECT_EQ(FuelMap::percent(m, 0, 0), 50);
    ASSERT_TRUE(map.editRange(0, 0, 1, 1, 3, 120));  // subtract 120: stops at -50
    EXPECT_EQ(FuelMap::percent(m, 0, 0), -50);
    ASSERT_TRUE(map.editRange(0, 0, 19, 15, 1, 100 - 7));
    EXPECT_EQ(FuelMap::percent(m, 18, 14), -7);
    ASSERT_TRUE(map.editRange(3, 3, 1, 1, 4, 0));
    EXPECT_EQ(FuelMap::percent(m, 3, 3), 0);
    // A rectangle reaching past the last cell is cut there; nothing spills past the map.
    ASSERT_TRUE(map.editRange(18, 14, 10, 10, 2, 3));
    EXPECT_EQ(FuelMap::percent(m, 18, 14), -4);
    EXPECT_EQ(FuelMap::flags(m), 0);
    std::uint8_t afterMap = 0xEE;
    m.read(ControllerMemory::kMapAddress + 288, 1, &afterMap);
    EXPECT_EQ(afterMap, 0);
    // Refused: a first cell outside the map, an unknown operation.
    EXPECT_FALSE(map.editRange(19, 0, 1, 1, 1, 100));
    EXPECT_FALSE(map.editRange(0, 15, 1, 1, 1, 100));
    EXPECT_FALSE(map.editRange(0, 0, 1, 1, 5, 100));
    EXPECT_EQ(FuelMap::storedCheck(m), FuelMap::checkValue(m.mapBlock()));
}
