// The map grid's edits against a scripted controller: clamping, the range request's bytes, raised
// errors, the store timer on a clock moved by hand, and the operating-point marker.

#include "calibration/MapGridModel.h"
#include "core/device/ScriptedDevice.h"

using namespace tarvola;
using namespace tarvola::test;
using namespace std::chrono_literals;

namespace {

struct MapEdits : ScriptedDevice {
    SteadyClock::time_point now{};
    CMapGridModel grid{device, [this] { return now; }};

    void SetUp() override
    {
        device.setConnected(true);
        grid.loadFromRecord(device.m_settings);
    }
    void selectOnly(int column, int row)
    {
        grid.selection().clear();
        grid.selection().set(column, row, true);
    }
};

CDiag sampleWith(std::uint16_t periodCount, std::initializer_list<std::pair<int, std::uint16_t>> petrolCounts)
{
    CDiag s;
    const auto put = [&](std::size_t at, std::uint16_t v) {
        s.m_bytes[at] = static_cast<std::uint8_t>(v & 0xFF);
        s.m_bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    put(diag::PeriodCount, periodCount);
    for (auto [entry, count] : petrolCounts)
        put(diag::petrolTime(entry), count);
    return s;
}

} // namespace

TEST(MapDialogs, MagnitudesRefuseNegativesAndEverythingStopsAtFifty)
{
    RecordingPrompt prompt;
    int v = -1;
    EXPECT_FALSE(acceptMapMagnitude(v, prompt));
    EXPECT_EQ(prompt.plains, std::vector<std::string>{"Wprowadź dodatnią liczbę"});
    v = 51;
    EXPECT_TRUE(acceptMapMagnitude(v, prompt));
    EXPECT_EQ(v, 50);
    EXPECT_EQ(acceptMapSetValue(80), 50);
    EXPECT_EQ(acceptMapSetValue(-2147483647 - 1), -50);
}

TEST_F(MapEdits, CellsShowTheWholeNumberTheyHold)
{
    EXPECT_EQ(CMapGridModel(device).cellColour(3, 3), CMapGridModel::kUnfilledColour);
    device.m_settings.m_injMapTable[0][14] = -5;
    device.m_settings.m_injMapTable[18][0] = 155; // a controller byte beyond the editable range
    device.m_settings.m_injMapTable[5][5] = 12.4;
    device.m_settings.m_injMapTable[6][6] = -0.3;
    grid.loadFromRecord(device.m_settings);
    EXPECT_EQ(grid.cellText(14, 0), "-5%");
    EXPECT_EQ(grid.cellText(0, 18), "155%");
    EXPECT_EQ(grid.cellValue(5, 5), 12); // the number shown, not the record's fraction
    EXPECT_EQ(grid.cellText(6, 6), "0%");
    grid.setCellValue(15, 0, 3); // outside: ignored
    EXPECT_EQ(grid.cellText(15, 0), "");
}

TEST_F(MapEdits, EachOperationClampsTheCellAndSendsItsOperationAndValueByte)
{
    struct Case {
        const char* name;
        double before;
        std::function<MapEditOutcome()> run;
        double after;
        std::uint8_t operation, value;
    };
    const std::vector<Case> cases = {
        {"48 + 5", 48, [&] { return grid.onMapAdd(5); }, 50, 2, 5},
        {"-45 - 10", -45, [&] { return grid.onMapSubb(10); }, -50, 3, 10},
        {"set 80", 0, [&] { return grid.onMapSet(acceptMapSetValue(80)); }, 50, 1, 150},
        {"set -7", 20, [&] { return grid.onMapSet(-7); }, -7, 1, 93},
        {"clear", 33, [&] { return grid.onMapClear(); }, 0, 4, 0},
        {"page up", 7, [&] { return grid.incrementSelected(1); }, 8, 2, 1},
        {"page down at -50", -50, [&] { return grid.incrementSelected(-1); }, -50, 3, 1},
        {"155 + 1", 155, [&] { return grid.incrementSelected(1); }, 50, 2, 1},
        {"raw add 300", 0, [&] { return grid.onMapAdd(300); }, 50, 2, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        port->written.clear();
        grid.setCellValue(6, 9, c.before);
        selectOnly(6, 9);
        reply(kAck);
        EXPECT_EQ(c.run(), MapEditOutcome::Sent);
        EXPECT_EQ(grid.cellValue(6, 9), c.after);
        EXPECT_EQ(requests(), (std::vector<Bytes>{{13, 9, 6, 1, 1, c.operation, c.value}}));
        EXPECT_TRUE(grid.storeTimer().running());
    }
    EXPECT_TRUE(prompt.errors.empty());
}

TEST_F(MapEdits, WithoutSelectionNothingHappensAndWithoutControllerOnlyTheGridChanges)
{
    grid.selection().clear();
    EXPECT_EQ(grid.onMapSet(30), MapEditOutcome::NoSelection);
    EXPECT_EQ(grid.cellValue(0, 0), 0);

    device.setConnected(false);
    grid.selection().dragTo(1, 1, 2, 2);
    EXPECT_EQ(grid.incrementSelected(1), MapEditOutcome::GridOnly);
    EXPECT_EQ(grid.cellValue(2, 2), 1);
    EXPECT_EQ(grid.onStoreTimer(), MapStoreOutcome::NotConnected);
    EXPECT_TRUE(port->written.empty());
    EXPECT_EQ(device.m_settings.m_injMapTable[2][2], 0);
}

TEST_F(MapEdits, RaisedErrorsAreShownNamedByOperationAndNeverEscape)
{
    selectOnly(0, 0);
    port->failWrites = true;
    const std::string why = "\n" + CRSError(CRSError::CantReadWrite, "", 0, "").description();
    EXPECT_EQ(grid.onMapAdd(1), MapEditOutcome::Raised);
    EXPECT_EQ(grid.onMapSet(1), MapEditOutcome::Raised);
    EXPECT_EQ(grid.incrementSelected(-1), MapEditOutcome::Raised);
    EXPECT_EQ(grid.onStoreTimer(), MapStoreOutcome::Raised); // a timer handler must not throw either
    EXPECT_EQ(prompt.plains, (std::vector<std::string>{"CMapArray::onMapAdd()" + why, "CMapArray::onMapSet()" + why,
                                                       "CMapArray::incrementSelected()" + why,
                                                       "CMapArray::OnTimer()" + why}));
}

TEST_F(MapEdits, ThreeQuickEditsLeadToOneStoreASecondAfterTheLast)
{
    device.m_settings.m_injMapTable[10][1] = 155; // unselected, beyond the range
    grid.loadFromRecord(device.m_settings);
    selectOnly(4, 2);
    for (int press = 0; press < 3; ++press) {
        reply(kAck);
        EXPECT_EQ(grid.incrementSelected(1), MapEditOutcome::Sent);
        now += 500ms;
        EXPECT_FALSE(grid.tick());
    }
    now += 499ms;
    EXPECT_FALSE(grid.tick());
    reply(kAck);
    now += 1ms;
    EXPECT_TRUE(grid.tick());
    EXPECT_FALSE(grid.tick());
    const auto r = requests();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[3], (Bytes{2, 19, 0, 0, 0, 0, 0}));
    // The record takes the whole grid, clamped to the editable range.
    EXPECT_EQ(device.m_settings.m_injMapTable[2][4], 3);
    EXPECT_EQ(device.m_settings.m_injMapTable[10][1], 50);

    // A store the controller does not acknowledge leaves the record and says nothing.
    reply(kAck);
    grid.incrementSelected(1);
    now += 1s;
    EXPECT_TRUE(grid.tick());
    EXPECT_EQ(device.m_settings.m_injMapTable[2][4], 3);
    EXPECT_TRUE(prompt.errors.empty() && prompt.plains.empty());
}

TEST_F(MapEdits, TheMarkerTakesTheLargestPetrolTimeOfTheInjectorsInUse)
{
    DiagContext ctx;
    ctx.injectorCount = 4;
    // 1846 counts is 2600 rpm; entry 5 holds 3.4 ms, entry 9 lies past cylinder 4.
    const CDiag s = sampleWith(1846, {{0, 100}, {5, 136}, {9, 400}});
    EXPECT_EQ(operatingPointOf(s, ctx).timeMs, 3.4);
    ctx.injectorCount = 5;
    EXPECT_EQ(operatingPointOf(s, ctx).timeMs, 10.0);
    ctx.injectorCount = 200; // never reads past the sample
    EXPECT_EQ(operatingPointOf(sampleWith(0, {{15, 101}}), ctx), (OperatingPoint{0, 2.53}));

    EXPECT_FALSE(grid.refreshOperatingPoint()); // no sample yet
    ctx.injectorCount = 4;
    device.diagData().setContext(ctx);
    device.diagData().append(s);
    EXPECT_TRUE(grid.refreshOperatingPoint());
    EXPECT_EQ(grid.markedCell(), (MapCell{4, 2})); // "2500", "4"
    device.m_settings.m_corrMap.m_flags = 0x03;    // half-millisecond rows
    EXPECT_EQ(grid.markOperatingPoint(2600, 3.4), (MapCell{4, 2}));
    EXPECT_EQ(grid.markedCell(), (MapCell{4, 5}));
}
