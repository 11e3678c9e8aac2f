// Undo and redo of the calibration edits against a scripted controller: what goes on the wire when a
// step is taken back, a step whose send fails staying where it was, and the history's own bookkeeping.

#include "calibration/CMultiplierCalibration.h"
#include "calibration/EditHistory.h"
#include "calibration/MainCorrEditor.h"
#include "calibration/MapGridModel.h"
#include "core/device/ScriptedDevice.h"

using namespace tarvola;
using namespace tarvola::test;

namespace {

struct Undo : ScriptedDevice {
    CEditHistory history;
    CMapGridModel grid{device};
    CMultiplierCalibration line{device};
    CMainCorrEditor corrections{device};

    void SetUp() override
    {
        device.setConnected(true);
        device.m_settings.m_devInfo.m_injCount = 8;
        grid.setHistory(&history);
        line.setHistory(&history);
        corrections.setHistory(&history);
        device.m_settings.m_injMapTable[1][2] = 5;
        device.m_settings.m_injMapTable[1][3] = 7;
        device.m_settings.m_injMapTable[2][2] = 5;
        device.m_settings.m_injMapTable[2][3] = 5;
        grid.loadFromRecord(device.m_settings);
    }
};

} // namespace

TEST_F(Undo, AMapEditGoesBackAsSetRequestsOneForEachRunOfEqualValues)
{
    grid.selection().dragTo(2, 1, 3, 2);  // columns 2..3, rows 1..2
    reply(kAck);
    ASSERT_EQ(grid.onMapAdd(48), MapEditOutcome::Sent);
    EXPECT_EQ(history.undoName(), "Dodaj do mapy");
    port->written.clear();

    // Row 1 held 5 and 7, row 2 held 5 and 5: three runs. The controller misses the second one.
    reply(kAck);
    reply(kNak, 14);
    EXPECT_FALSE(history.undo());
    EXPECT_EQ(prompt.errors, std::vector<std::string>{"Nie powiodło się wpisanie mapy wtrysków do urządzenia!"});
    EXPECT_TRUE(history.canUndo());
    EXPECT_EQ(grid.cellValue(2, 1), 5);   // the run the controller took shows its old value
    EXPECT_EQ(grid.cellValue(3, 1), 50);  // the one it missed still shows the edit

    port->written.clear();
    reply(kAck, 3);
    EXPECT_TRUE(history.undo());
    EXPECT_EQ(requests(), (std::vector<Bytes>{{13, 1, 2, 1, 1, 1, 105},
                                              {13, 1, 3, 1, 1, 1, 107},
                                              {13, 2, 2, 1, 2, 1, 105}}));
    EXPECT_EQ(grid.cellValue(3, 1), 7);
    EXPECT_TRUE(grid.storeTimer().running());
    EXPECT_EQ(history.redoName(), "Dodaj do mapy");

    port->written.clear();
    reply(kAck, 2);
    EXPECT_TRUE(history.redo());
    EXPECT_EQ(requests(), (std::vector<Bytes>{{13, 1, 2, 1, 2, 1, 150}, {13, 2, 2, 1, 2, 1, 150}}));
    EXPECT_FALSE(history.canRedo());
}

TEST_F(Undo, LineAndCorrectionStepsWriteTheirWholeBlockBack)
{
    line.onCorrChanged(4, 1.13);
    line.onIncrementAll(true);
    EXPECT_EQ(line.line()[4], 13);
    EXPECT_EQ(history.undoName(), "Linia mnożnika +1%");
    reply(kAck);
    EXPECT_TRUE(history.undo());
    EXPECT_EQ(line.line()[4], 12);
    EXPECT_EQ(line.line()[0], 0);
    EXPECT_EQ(requests().size(), 1u);  // the setup times, at once
    EXPECT_FALSE(line.lineWriteTimer().running());

    corrections.open();
    corrections.stepUp(0);
    reply(kAck);
    ASSERT_EQ(corrections.apply(), MainCorrApplyOutcome::Written);
    EXPECT_EQ(device.m_settings.m_mainCorr.m_mainCorr[7], 1.01);
    // A new edit ends the redo branch.
    EXPECT_FALSE(history.canRedo());

    reply(kNak, 14);
    EXPECT_FALSE(history.undo());  // refused: the record keeps what the controller holds
    EXPECT_EQ(device.m_settings.m_mainCorr.m_mainCorr[7], 1.01);
    reply(kAck);
    EXPECT_TRUE(history.undo());
    EXPECT_EQ(device.m_settings.m_mainCorr.m_mainCorr[7], 1.0);
    EXPECT_EQ(corrections.text(7), "1.00");
}

TEST(EditHistory, KeepsTheNewestHundredAndNeverRecordsWhileReplaying)
{
    CEditHistory history;
    int changes = 0;
    history.setOnChange([&] { ++changes; });
    for (int i = 0; i < 105; ++i)
        history.record({std::to_string(i), [&] {
                            history.record({"inside", {}, {}});  // a model reacting to the replay
                            return true;
                        },
                        [] { return true; }});
    EXPECT_EQ(changes, 105);
    int undone = 0;
    while (history.undo())
        ++undone;
    EXPECT_EQ(undone, 100);
    EXPECT_EQ(history.redoName(), "5");
    EXPECT_TRUE(history.clear());
    EXPECT_FALSE(history.clear());
}
