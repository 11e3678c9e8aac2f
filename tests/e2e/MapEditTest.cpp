// Map edits and per-cylinder corrections against the virtual controller: what reaches its map, the
// store and the record, failed requests, one write per burst of steps, the marker of a live sample.

#include <thread>

#include "FuelMap.h"
#include "SimFixture.h"
#include "calibration/MainCorrEditor.h"
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
    std::size_t framesWithCode(std::uint8_t code) const
    {
        std::size_t n = 0;
        for (const auto& f : frames())
            n += f[3] == code;
        return n;
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

    now += 999ms;
    EXPECT_FALSE(grid.tick());
    now += 1ms;
    EXPECT_TRUE(grid.tick());
    EXPECT_EQ(frames().back(), controlFrame(19));
    EXPECT_EQ(framesWithCode(13), 3u);
    EXPECT_EQ(device->m_settings.m_injMapTable[4][5], 50);
    EXPECT_EQ(device->m_settings.m_injMapTable[7][1], -1);
}

TEST_F(MapEditLink, AFailedRangeRequestIsReportedOnlyForThePageKeysAndSchedulesNoStore)
{
    LinkTiming t = quickTiming();
    t.readTimeoutConstantMs = 30; // 14 silent attempts each
    start({}, t);
    CMapGridModel grid(*device, clock);
    grid.selection().press(0, 0);
    sim->dropNext(14);
    EXPECT_EQ(grid.onMapAdd(5), MapEditOutcome::SendFailed);
    EXPECT_TRUE(prompt.messages.empty());
    sim->dropNext(14);
    EXPECT_EQ(grid.incrementSelected(1), MapEditOutcome::SendFailed);
    EXPECT_EQ(prompt.messages, std::vector<std::string>{"Nie powiodło się wpisanie mapy wtrysków do urządzenia!"});
    EXPECT_EQ(controllerCell(0, 0), 0);
    EXPECT_FALSE(grid.storeTimer().running());
    // Only the last of the fourteen attempts answered: still a success.
    sim->dropNext(13);
    EXPECT_EQ(grid.incrementSelected(1), MapEditOutcome::Sent);
    EXPECT_EQ(controllerCell(0, 0), 1);
}

TEST_F(MapEditLink, ABurstOfCorrectionStepsIsWrittenOnce)
{
    start();
    CMainCorrEditor editor(*device, clock);
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(editor.stepUp(0));
        now += 100ms;
        EXPECT_FALSE(editor.tick());
    }
    now += 400ms;
    EXPECT_TRUE(editor.tick());
    EXPECT_EQ(framesWithCode(15), 1u);
    // 1.10 ms for every cylinder: 275 steps of 0.004 ms, high byte first.
    const auto block = sim->settingsBlock(sim::Block::MainCorr);
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ((block[2 * i] << 8) | block[2 * i + 1], 275) << i;
}

TEST_F(MapEditLink, TheMarkerFollowsALiveSample)
{
    start();
    sim->setEngineRunning(true);
    sim->setEngineTarget(2600, 60);
    const DiagContext context = contextFrom(device->m_settings);
    CDiag sample;
    OperatingPoint point;
    for (int i = 0; i < 100 && std::abs(point.rpm - 2600) > 60; ++i) {
        std::this_thread::sleep_for(50ms);
        DiagPayload payload{};
        ASSERT_EQ(device->pollDiagnostics(payload), PollStatus::Read);
        std::copy(payload.begin(), payload.end(), sample.m_bytes.begin());
        point = operatingPointOf(sample, context);
    }
    ASSERT_NEAR(point.rpm, 2600, 60);
    double largest = 0;
    for (int c = 0; c < 4; ++c)
        largest = std::max(largest, cylinderTimes(sample, c).petrolMs);
    EXPECT_EQ(point.timeMs, largest);

    // The grid marks the cell the controller itself would pick, in whole and half milliseconds.
    device->diagData().setContext(context);
    device->diagData().append(sample);
    CMapGridModel grid(*device, clock);
    for (std::uint8_t flags : {0, 1}) {
        device->m_settings.m_corrMap.m_flags = flags;
        ASSERT_TRUE(grid.refreshOperatingPoint());
        int row = -1, column = -1;
        sim::FuelMap::cellFor(point.rpm, point.timeMs, flags != 0, row, column);
        EXPECT_EQ(grid.markedCell(), (MapCell{column, row})) << int(flags);
    }
}
