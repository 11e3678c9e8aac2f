// Map edits against the virtual controller: what reaches its map, the store and the record.

#include "SimFixture.h"
#include "calibration/MapGridModel.h"

using namespace tarvola;
using namespace tarvola::test;
using namespace std::chrono_literals;

namespace {

struct MapEditLink : SimLink {
    SteadyClock::time_point now = SteadyClock::now();
    ClockFn clock = [this] { return now; };

    int controllerCell(int row, int column) const
    {
        return sim->readMemory(320, 288)[static_cast<std::size_t>(15 * row + column)] - 100;
    }
};

} // namespace

TEST_F(MapEditLink, RangeEditsReachTheControllersMapAndTheStoreBringsTheRecordInLine)
{
    start();
    CMapGridModel grid(*device, clock);
    grid.loadFromRecord(device->m_settings);
    grid.selection().dragTo(3, 2, 5, 4); // columns 3..5, rows 2..4
    ASSERT_EQ(grid.onMapSet(45), MapEditOutcome::Sent);
    ASSERT_EQ(grid.onMapAdd(10), MapEditOutcome::Sent);
    // An L shape: row 6 from column 1 to 3 and column 1 down to row 7 go as 2 rows × 3 columns.
    grid.selection().clear();
    for (auto [c, r] : {std::pair{1, 6}, {2, 6}, {3, 6}, {1, 7}})
        grid.selection().set(c, r, true);
    ASSERT_EQ(grid.incrementSelected(-1), MapEditOutcome::Sent);
    const auto last = frames().back();
    EXPECT_EQ(std::vector<std::uint8_t>(last.begin() + 4, last.begin() + 10),
              (std::vector<std::uint8_t>{6, 1, 2, 3, 3, 1}));

    for (int r = 0; r < kMapRows; ++r)
        for (int c = 0; c < kMapColumns; ++c) {
            const bool block = c >= 3 && c <= 5 && r >= 2 && r <= 4;
            const bool rect = c >= 1 && c <= 3 && r >= 6 && r <= 7;
            ASSERT_EQ(controllerCell(r, c), block ? 50 : rect ? -1 : 0) << r << "," << c;
        }
    EXPECT_EQ(grid.cellValue(1, 7), -1);
    EXPECT_EQ(grid.cellValue(3, 7), 0); // in the rectangle, not selected: the grid leaves it

    now += 1000ms; // the store timer's time-out after the last edit
    EXPECT_TRUE(grid.tick());
    EXPECT_EQ(frames().back(), controlFrame(19));
    EXPECT_EQ(count(13), 3);
    EXPECT_EQ(device->m_settings.m_injMapTable[4][5], 50);
    EXPECT_EQ(device->m_settings.m_injMapTable[7][1], -1);
}
