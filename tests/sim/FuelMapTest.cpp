// Fuel map inside controller memory: the check value after every kind of edit, saturation, and
// the operating-point cell lookup.
#include <gtest/gtest.h>

#include <numeric>

#include "FuelMap.h"

using namespace tarvola::sim;

namespace {

bool checkIsRight(const ControllerMemory& m) {
    return FuelMap::storedCheck(m) == FuelMap::checkValue(m.mapBlock());
}

}  // namespace

TEST(FuelMap, FactoryMapIsAllZeroPercentWithAValidCheck) {
    ControllerMemory m;
    EXPECT_EQ(FuelMap::percent(m, 0, 0), 0);
    EXPECT_EQ(FuelMap::percent(m, 18, 14), 0);
    EXPECT_EQ(FuelMap::storedCheck(m), 285 * 100 + 1);
    // The check value sits big-endian in the last two bytes of the block at address 320.
    std::uint8_t tail[2];
    ASSERT_TRUE(m.read(ControllerMemory::kMapAddress + 286, 2, tail));
    EXPECT_EQ(tail[0], (28501 >> 8) & 0xFF);
    EXPECT_EQ(tail[1], 28501 & 0xFF);
}

TEST(FuelMap, CheckValueWrapsToZero) {
    std::array<std::uint8_t, 288> block{};
    // 0xFFFF = 257 × 255: the sum plus one wraps to 0.
    std::fill(block.begin(), block.begin() + 257, std::uint8_t{255});
    EXPECT_EQ(FuelMap::checkValue(block.data()), 0);
}

TEST(FuelMap, RangeOperationsSaturateAndKeepTheCheck) {
    ControllerMemory m;
    FuelMap map(m);
    ASSERT_TRUE(map.editRange(0, 0, 2, 3, 1, 100 + 48));  // set +48
    EXPECT_EQ(FuelMap::percent(m, 1, 2), 48);
    EXPECT_EQ(FuelMap::percent(m, 2, 2), 0);
    EXPECT_EQ(FuelMap::percent(m, 1, 3), 0);
    ASSERT_TRUE(map.editRange(0, 0, 2, 3, 2, 5));  // add 5: stops at +50
    EXPECT_EQ(FuelMap::percent(m, 0, 0), 50);
    ASSERT_TRUE(map.editRange(0, 0, 1, 1, 3, 120));  // subtract 120: stops at −50
    EXPECT_EQ(FuelMap::percent(m, 0, 0), -50);
    ASSERT_TRUE(map.editRange(0, 0, 19, 15, 1, 100 - 7));
    EXPECT_EQ(FuelMap::percent(m, 18, 14), -7);
    ASSERT_TRUE(map.editRange(3, 3, 1, 1, 4, 0));
    EXPECT_EQ(FuelMap::percent(m, 3, 3), 0);
    EXPECT_TRUE(checkIsRight(m));
}

TEST(FuelMap, RectanglesReachingPastTheEdgeAreCut) {
    ControllerMemory m;
    FuelMap map(m);
    const Bytes before = m.block(Block::Base);
    ASSERT_TRUE(map.editRange(18, 14, 10, 10, 2, 3));
    EXPECT_EQ(FuelMap::percent(m, 18, 14), 3);
    EXPECT_EQ(m.block(Block::Base), before);  // nothing spilled past the map
    std::uint8_t afterMap = 0xEE;
    m.read(ControllerMemory::kMapAddress + 288, 1, &afterMap);
    EXPECT_EQ(afterMap, 0);
    EXPECT_FALSE(map.editRange(19, 0, 1, 1, 1, 100));
    EXPECT_FALSE(map.editRange(0, 15, 1, 1, 1, 100));
    EXPECT_FALSE(map.editRange(0, 0, 1, 1, 5, 100));
    EXPECT_TRUE(checkIsRight(m));
}

