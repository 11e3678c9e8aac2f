// The per-cylinder corrections: visibility and enabling, spin steps and their bounds, and what an
// apply takes from the texts.

#include "calibration/MainCorrEditor.h"
#include "core/device/ScriptedDevice.h"

using namespace tarvola;
using namespace tarvola::test;

namespace {

struct MainCorr : ScriptedDevice {
    void SetUp() override
    {
        device.setConnected(true);
        device.m_settings.m_devInfo.m_injCount = 4;
    }
    CMainCorrEditor editor() { return CMainCorrEditor(device); }
    static std::vector<std::string> texts(const CMainCorrEditor& e)
    {
        std::vector<std::string> out;
        for (int i = 0; i < CMainCorrEditor::kCylinders; ++i)
            out.push_back(e.text(i));
        return out;
    }
};

} // namespace

TEST_F(MainCorr, VisibilityAndEnablingFollowTheInjectorsTheConnectionAndTheAllFlag)
{
    auto e = editor();
    EXPECT_EQ(e.visibleCylinders(), 4);
    EXPECT_TRUE(e.spinEnabled(0));
    EXPECT_FALSE(e.spinEnabled(1)); // cylinder 1 speaks for all
    e.setChangeForAll(false);
    EXPECT_TRUE(e.spinEnabled(3));
    EXPECT_FALSE(e.spinEnabled(4)); // hidden
    device.setConnected(false);
    EXPECT_FALSE(e.spin(0, -1, false));
    device.m_settings.m_devInfo.m_injCount = 200;
    EXPECT_EQ(e.visibleCylinders(), 8);
}

TEST_F(MainCorr, StepsMoveByHundredthsOrTenthsAndStayWithinMinusThreeAndSix)
{
    device.m_settings.m_mainCorr.m_mainCorr = {5.9, 0, 0, 0, 0, 0, 0, -0.4};
    auto e = editor();
    EXPECT_EQ(e.text(7), "-0.40");
    // One upward step on cylinder 1 sets all eight; ten of them reach 6.00 exactly, not 5.99999.
    EXPECT_TRUE(e.stepUp(0));
    EXPECT_EQ(texts(e), std::vector<std::string>(8, "5.91"));
    for (int i = 0; i < 9; ++i)
        EXPECT_TRUE(e.stepUp(0)) << i;
    EXPECT_EQ(e.text(3), "6.00");
    EXPECT_FALSE(e.stepUp(0));
    EXPECT_EQ(e.text(0), "6.00");

    e.setChangeForAll(false);
    e.setText(2, "-2.95");
    EXPECT_FALSE(e.stepDown(2, true)); // −3.05: nothing changes
    EXPECT_EQ(e.text(2), "-2.95");
    EXPECT_TRUE(e.spin(2, 5, false));
    EXPECT_EQ(texts(e), (std::vector<std::string>{"6.00", "6.00", "-3.00", "6.00", "6.00", "6.00", "6.00", "6.00"}));
}

TEST_F(MainCorr, ApplyTakesOnlyNumbersWithinTheRangeAndReportsAFailedWrite)
{
    device.m_settings.m_mainCorr.m_mainCorr.fill(1.25);
    auto e = editor();
    e.setText(0, " 2.5 ");
    e.setText(1, "1,75"); // not a number in the "C" locale: the record's value stays
    e.setText(2, "99");
    e.setText(3, "-7");
    e.setText(4, "nan");
    EXPECT_EQ(e.apply(), MainCorrApplyOutcome::Failed); // nobody answers
    EXPECT_EQ(prompt.errors, std::vector<std::string>{"Nie powiodło się ustawienie urządzenia!"});
    EXPECT_EQ(device.m_settings.m_mainCorr.m_mainCorr,
              (std::array<double, 8>{2.5, 1.25, 6.0, -3.0, 1.25, 1.25, 1.25, 1.25}));
    EXPECT_EQ(texts(e), (std::vector<std::string>{"2.50", "1.25", "6.00", "-3.00", "1.25", "1.25", "1.25", "1.25"}));

    device.setConnected(false);
    e.setText(0, "3.00");
    EXPECT_EQ(e.apply(), MainCorrApplyOutcome::NotConnected);
    EXPECT_EQ(device.m_settings.m_mainCorr.m_mainCorr[0], 2.5);
}
