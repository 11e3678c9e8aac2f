// The map grid's edits against a scripted controller: cell values and their clamping, the range
// request's bytes, failures and raised errors, and the store timer on a clock moved by hand.

#include <gtest/gtest.h>

#include "core/link/ScriptedPort.h"
#include "link/CLPGDevice.h"
#include "maps/MapEditor.h"

using namespace tarvola;
using namespace std::chrono_literals;
using tarvola::test::frame;
using tarvola::test::ScriptedPort;

namespace {

struct Boxes : IUserPrompt {
    std::vector<std::string> errors, plains, others;
    int busyDepth = 0, busyMax = 0;
    void information(const std::string& t) override { others.push_back(t); }
    void warning(const std::string& t) override { others.push_back(t); }
    void error(const std::string& t) override { errors.push_back(t); }
    void plain(const std::string& t) override { plains.push_back(t); }
    bool yesNo(const std::string& t) override
    {
        others.push_back(t);
        return false;
    }
    void setBusy(bool on) override
    {
        busyDepth += on ? 1 : -1;
        busyMax = std::max(busyMax, busyDepth);
    }
};

struct Request {
    std::uint8_t code;
    std::vector<std::uint8_t> payload;
};

const std::vector<std::uint8_t> kAck = frame(2, {4, 0, 0, 0, 0, 0});

struct MapEdits : ::testing::Test {
    Boxes prompt;
    ScriptedPort* port = nullptr;
    std::unique_ptr<CLPGDevice> device;
    SteadyClock::time_point now{};
    std::unique_ptr<CMapGridModel> grid;

    void SetUp() override
    {
        LinkTiming t;
        t.shortReplyPauseMs = 0;
        auto p = std::make_unique<ScriptedPort>();
        port = p.get();
        device = std::make_unique<CLPGDevice>(prompt, t, AppConfig("/nonexistent/x.conf"), std::move(p));
        device->setConnected(true);
        grid = std::make_unique<CMapGridModel>(*device, [this] { return now; });
        grid->loadFromRecord(device->m_settings);
    }
    void ack()
    {
        port->chunks.push_back(kAck);
        port->chunks.push_back({});
    }
    // The request frames written so far, split at their length bytes.
    std::vector<Request> requests() const
    {
        std::vector<Request> out;
        const auto& w = port->written;
        for (std::size_t i = 0; i + 4 <= w.size();) {
            const std::size_t len = w[i + 2];
            out.push_back({w[i + 3], std::vector<std::uint8_t>(w.begin() + static_cast<std::ptrdiff_t>(i + 4),
                                                               w.begin() + static_cast<std::ptrdiff_t>(i + 4 + len))});
            i += len + 6;
        }
        return out;
    }
    std::vector<std::uint8_t> onlyRangeRequest() const
    {
        const auto r = requests();
        EXPECT_EQ(r.size(), 1u);
        if (r.size() != 1)
            return {};
        EXPECT_EQ(r[0].code, 13);
        return r[0].payload;
    }
    void selectCell(int column, int row)
    {
        grid->selection().clear();
        grid->selection().set(column, row, true);
    }
};

} // namespace

TEST(MapDialogs, MagnitudesRefuseNegativesAndStopAtFifty)
{
    Boxes prompt;
    int v = -1;
    EXPECT_FALSE(acceptMapMagnitude(v, prompt));
    ASSERT_EQ(prompt.plains.size(), 1u);
    EXPECT_EQ(prompt.plains[0], "Wprowadź dodatnią liczbę");
    for (auto [entered, shown] : {std::pair{0, 0}, {50, 50}, {51, 50}, {2147483647, 50}}) {
        v = entered;
        EXPECT_TRUE(acceptMapMagnitude(v, prompt));
        EXPECT_EQ(v, shown);
    }
    EXPECT_EQ(prompt.plains.size(), 1u);
    EXPECT_EQ(acceptMapSetValue(80), 50);
    EXPECT_EQ(acceptMapSetValue(-7), -7);
    EXPECT_EQ(acceptMapSetValue(-2147483647 - 1), -50);
}

TEST(MapDialogs, PopupMenuFollowsTheLanguage)
{
    const std::pair<int, int> table[] = {{0, 133}, {1, 135}, {2, 140}, {3, 142}, {4, 141}, {5, 135}, {6, 137},
                                         {7, 143}, {8, 135}, {9, 136}, {10, 139}, {11, 138}, {12, 135}, {-1, 135}};
    for (auto [language, menu] : table)
        EXPECT_EQ(mapPopupMenuResource(language), menu) << language;
}

TEST_F(MapEdits, CellsShowWholePercentagesFromTheRecord)
{
    CMapGridModel fresh(*device);
    EXPECT_EQ(fresh.cellText(3, 3), "");
    EXPECT_EQ(fresh.cellColour(3, 3), CMapGridModel::kUnfilledColour);

    auto& table = device->m_settings.m_injMapTable;
    table[3][2] = 12;    // row 3, column 2
    table[0][14] = -5;
    table[18][0] = 155;  // a controller byte beyond the editable range stays as it is
    table[5][5] = 12.4;
    table[6][6] = -0.3;
    grid->loadFromRecord(device->m_settings);
    EXPECT_EQ(grid->cellText(2, 3), "12%");
    EXPECT_EQ(grid->cellValue(2, 3), 12);
    EXPECT_EQ(grid->cellText(14, 0), "-5%");
    EXPECT_EQ(grid->cellColour(14, 0), (Rgb{255, 255, 230}));
    EXPECT_EQ(grid->cellText(0, 18), "155%");
    EXPECT_EQ(grid->cellValue(0, 18), 155);
    // The value is the number shown, not the record's fraction; no "-0%".
    EXPECT_EQ(grid->cellValue(5, 5), 12);
    EXPECT_EQ(grid->cellText(6, 6), "0%");
    EXPECT_EQ(grid->cellColour(0, 0), (Rgb{255, 255, 255}));
    // Nonsense indices neither crash nor change anything.
    grid->setCellValue(15, 0, 3);
    grid->setCellValue(0, -1, 3);
    EXPECT_EQ(grid->cellValue(15, 0), 0);
    EXPECT_EQ(grid->cellText(-1, 0), "");
}

TEST_F(MapEdits, EachOperationClampsTheCellAndSendsItsOperationAndValueByte)
{
    struct Case {
        const char* name;
        double before;
        std::function<MapEditOutcome(CMapGridModel&)> run;
        double after;
        std::uint8_t operation, value;
    };
    const std::vector<Case> cases = {
        {"48 + 5", 48, [](CMapGridModel& g) { return g.onMapAdd(5); }, 50, 2, 5},
        {"-45 - 10", -45, [](CMapGridModel& g) { return g.onMapSubb(10); }, -50, 3, 10},
        {"set 80", 0, [](CMapGridModel& g) { return g.onMapSet(acceptMapSetValue(80)); }, 50, 1, 150},
        {"set -7", 20, [](CMapGridModel& g) { return g.onMapSet(-7); }, -7, 1, 93},
        {"clear", 33, [](CMapGridModel& g) { return g.onMapClear(); }, 0, 4, 0},
        {"page up", 7, [](CMapGridModel& g) { return g.incrementSelected(1); }, 8, 2, 1},
        {"page down at -50", -50, [](CMapGridModel& g) { return g.incrementSelected(-1); }, -50, 3, 1},
        // A controller cell beyond the range is brought back into it by any edit.
        {"155 + 1", 155, [](CMapGridModel& g) { return g.incrementSelected(1); }, 50, 2, 1},
        // Out of the dialog's range: a caller's raw value is held to what one byte may say.
        {"add 300", 0, [](CMapGridModel& g) { return g.onMapAdd(300); }, 50, 2, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        port->written.clear();
        grid->setCellValue(6, 9, c.before);
        selectCell(6, 9);
        ack();
        EXPECT_EQ(c.run(*grid), MapEditOutcome::Sent);
        EXPECT_EQ(grid->cellValue(6, 9), c.after);
        EXPECT_EQ(onlyRangeRequest(), (std::vector<std::uint8_t>{9, 6, 1, 1, c.operation, c.value}));
        EXPECT_TRUE(grid->storeTimer().running());
    }
    EXPECT_TRUE(prompt.errors.empty());
    EXPECT_EQ(prompt.busyDepth, 0);
    EXPECT_EQ(prompt.busyMax, 1);
}

TEST_F(MapEdits, AnLShapedSelectionChangesEveryCellButSendsTheRectangleOfItsFirstRowAndColumn)
{
    // Along row 4 from column 2 to 5, and down column 2 to row 7; plus a stray cell at (9, 10).
    for (int c = 2; c <= 5; ++c)
        grid->selection().set(c, 4, true);
    for (int r = 4; r <= 7; ++r)
        grid->selection().set(2, r, true);
    grid->selection().set(9, 10, true);
    ack();
    EXPECT_EQ(grid->incrementSelected(1), MapEditOutcome::Sent);
    EXPECT_EQ(onlyRangeRequest(), (std::vector<std::uint8_t>{4, 2, 4, 4, 2, 1}));
    EXPECT_EQ(grid->cellValue(5, 4), 1);
    EXPECT_EQ(grid->cellValue(2, 7), 1);
    EXPECT_EQ(grid->cellValue(9, 10), 1);
    EXPECT_EQ(grid->cellValue(3, 5), 0); // inside the rectangle but not selected
}

TEST_F(MapEdits, WithoutSelectionOrControllerNothingIsSent)
{
    grid->selection().clear();
    EXPECT_FALSE(grid->hasSelection());
    EXPECT_EQ(grid->onMapSet(30), MapEditOutcome::NoSelection);
    EXPECT_EQ(grid->incrementSelected(1), MapEditOutcome::NoSelection);
    EXPECT_EQ(grid->cellValue(0, 0), 0);

    device->setConnected(false);
    grid->selection().dragTo(1, 1, 2, 2);
    EXPECT_EQ(grid->onMapSet(30), MapEditOutcome::GridOnly);
    EXPECT_EQ(grid->cellValue(2, 2), 30);
    EXPECT_TRUE(port->written.empty());
    EXPECT_FALSE(grid->storeTimer().running());
    // The record learns nothing from an edit the controller never saw.
    EXPECT_EQ(device->m_settings.m_injMapTable[2][2], 0);
    EXPECT_EQ(grid->onStoreTimer(), MapStoreOutcome::NotConnected);
    EXPECT_EQ(device->m_settings.m_injMapTable[2][2], 0);
}

TEST_F(MapEdits, AFailedRangeRequestIsReportedOnlyForThePageKeys)
{
    selectCell(0, 0);
    EXPECT_EQ(grid->onMapAdd(5), MapEditOutcome::SendFailed);
    EXPECT_EQ(grid->onMapSubb(5), MapEditOutcome::SendFailed);
    EXPECT_EQ(grid->onMapSet(5), MapEditOutcome::SendFailed);
    EXPECT_EQ(grid->onMapClear(), MapEditOutcome::SendFailed);
    EXPECT_TRUE(prompt.errors.empty());
    EXPECT_EQ(grid->incrementSelected(-1), MapEditOutcome::SendFailed);
    ASSERT_EQ(prompt.errors.size(), 1u);
    EXPECT_EQ(prompt.errors[0], "Nie powiodło się wpisanie mapy wtrysków do urządzenia!");
    // The grid keeps its new value, the store is not scheduled, 14 attempts went out each time.
    EXPECT_EQ(grid->cellValue(0, 0), -1);
    EXPECT_FALSE(grid->storeTimer().running());
    EXPECT_EQ(requests().size(), 5u * 14u);
}

TEST_F(MapEdits, RaisedErrorsAreShownWithTheOperationsName)
{
    port->failWrites = true;
    selectCell(3, 3);
    const std::pair<const char*, std::function<MapEditOutcome()>> ops[] = {
        {"CMapArray::onMapAdd()", [&] { return grid->onMapAdd(1); }},
        {"CMapArray::onMapSubb()", [&] { return grid->onMapSubb(1); }},
        {"CMapArray::onMapSet()", [&] { return grid->onMapSet(1); }},
        {"CMapArray::onMapClear()", [&] { return grid->onMapClear(); }},
        {"CMapArray::incrementSelected()", [&] { return grid->incrementSelected(1); }},
    };
    const std::string description = CRSError(CRSError::CantReadWrite, "", 0, "").description();
    for (const auto& [name, run] : ops) {
        prompt.plains.clear();
        EXPECT_EQ(run(), MapEditOutcome::Raised);
        ASSERT_EQ(prompt.plains.size(), 1u);
        EXPECT_EQ(prompt.plains[0], std::string(name) + "\n" + description);
    }
    EXPECT_TRUE(prompt.errors.empty());
    EXPECT_EQ(prompt.busyDepth, 0);

    // The store timer's handler keeps the error from the event loop too.
    prompt.plains.clear();
    EXPECT_EQ(grid->onStoreTimer(), MapStoreOutcome::Raised);
    ASSERT_EQ(prompt.plains.size(), 1u);
    EXPECT_EQ(prompt.plains[0].rfind("CMapArray::OnTimer()\n", 0), 0u);
}

TEST_F(MapEdits, QuickEditsLeadToOneStoreASecondAfterTheLast)
{
    device->m_settings.m_injMapTable[10][1] = 155; // a controller byte beyond the range, unselected
    grid->loadFromRecord(device->m_settings);
    selectCell(4, 2);
    for (int press = 0; press < 3; ++press) {
        ack();
        EXPECT_EQ(grid->incrementSelected(1), MapEditOutcome::Sent);
        now += 500ms;
        EXPECT_FALSE(grid->tick());
    }
    now += 499ms;
    EXPECT_FALSE(grid->tick()); // 999 ms after the third press
    EXPECT_EQ(device->m_settings.m_injMapTable[2][4], 0);

    ack();
    now += 1ms;
    EXPECT_TRUE(grid->tick());
    EXPECT_FALSE(grid->tick());
    const auto r = requests();
    ASSERT_EQ(r.size(), 4u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(r[static_cast<std::size_t>(i)].code, 13);
    EXPECT_EQ(r[3].code, 2);
    EXPECT_EQ(r[3].payload, (std::vector<std::uint8_t>{19, 0, 0, 0, 0, 0}));
    // The record takes the whole grid, clamped to the editable range.
    EXPECT_EQ(device->m_settings.m_injMapTable[2][4], 3);
    EXPECT_EQ(device->m_settings.m_injMapTable[10][1], 50);
    EXPECT_EQ(prompt.busyDepth, 0);
}

TEST_F(MapEdits, AFailedStoreLeavesTheRecordAndSaysNothing)
{
    selectCell(0, 5);
    ack();
    ASSERT_EQ(grid->onMapSet(20), MapEditOutcome::Sent);
    now += 1s;
    EXPECT_TRUE(grid->tick()); // no reply to storeMap
    EXPECT_EQ(device->m_settings.m_injMapTable[5][0], 0);
    EXPECT_TRUE(prompt.errors.empty());
    EXPECT_TRUE(prompt.plains.empty());
    EXPECT_FALSE(grid->storeTimer().running());
    EXPECT_EQ(grid->onStoreTimer(), MapStoreOutcome::Failed);
}

namespace {
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

TEST(MapOperatingPoint, TheLargestPetrolTimeOfTheInjectorsInUse)
{
    DiagContext ctx;
    ctx.injectorCount = 4;
    // 1846 counts is 2600 rpm; entry 5 (cylinder 3's second) holds 3.4 ms, entry 9 is past cylinder 4.
    const CDiag s = sampleWith(1846, {{0, 100}, {5, 136}, {8, 120}, {9, 400}});
    const OperatingPoint p = operatingPointOf(s, ctx);
    EXPECT_NEAR(p.rpm, 2600.2, 0.05);
    EXPECT_EQ(p.timeMs, 3.4);
    EXPECT_EQ(cellForOperatingPoint(p.rpm, p.timeMs, false), (MapCell{4, 2})); // "2500", "4"

    ctx.injectorCount = 5;
    EXPECT_EQ(operatingPointOf(s, ctx).timeMs, 10.0);
    // A controller reporting nonsense counts never reads outside the sample.
    ctx.injectorCount = 200;
    EXPECT_EQ(operatingPointOf(sampleWith(0, {{15, 80}}), ctx), (OperatingPoint{0, 2.0}));
    ctx.injectorCount = -3;
    EXPECT_EQ(operatingPointOf(s, ctx).timeMs, 0.0);
    // 0.025 ms counts are rounded to hundredths: 101 counts are 2.525 → 2.53.
    ctx.injectorCount = 1;
    EXPECT_EQ(operatingPointOf(sampleWith(1000, {{1, 101}}), ctx).timeMs, 2.53);
}

TEST_F(MapEdits, TheMarkerFollowsTheNewestSampleInHalfMillisecondRowsWhenFlagged)
{
    EXPECT_EQ(grid->markedCell(), (MapCell{0, 0}));
    EXPECT_FALSE(grid->refreshOperatingPoint()); // no sample yet

    DiagContext ctx;
    ctx.injectorCount = 4;
    device->diagData().setContext(ctx);
    device->diagData().append(sampleWith(1846, {{5, 136}}));
    EXPECT_TRUE(grid->refreshOperatingPoint());
    EXPECT_EQ(grid->markedCell(), (MapCell{4, 2}));
    EXPECT_TRUE(grid->isMarked(4, 2));

    device->m_settings.m_corrMap.m_flags = 0x03; // only bit 0 counts
    EXPECT_EQ(grid->markOperatingPoint(2600, 3.4), (MapCell{4, 2}));
    EXPECT_EQ(grid->markedCell(), (MapCell{4, 5}));

    device->setConnected(false);
    device->m_settings.m_corrMap.m_flags = 0;
    EXPECT_FALSE(grid->refreshOperatingPoint());
    EXPECT_EQ(grid->markedCell(), (MapCell{4, 5}));
}
