// The per-cylinder corrections: texts, visibility and enabling, spin steps and their bounds, and
// the apply timer that turns a burst of steps into one block write.

#include <gtest/gtest.h>

#include "core/link/ScriptedPort.h"
#include "link/CLPGDevice.h"
#include "maps/MainCorrEditor.h"

using namespace tarvola;
using namespace std::chrono_literals;
using tarvola::test::frame;
using tarvola::test::ScriptedPort;

namespace {

struct Boxes : CSilentPrompt {
    std::vector<std::string> errors, plains;
    void error(const std::string& t) override { errors.push_back(t); }
    void plain(const std::string& t) override { plains.push_back(t); }
};

struct MainCorr : ::testing::Test {
    Boxes prompt;
    ScriptedPort* port = nullptr;
    std::unique_ptr<CLPGDevice> device;
    SteadyClock::time_point now{};

    void SetUp() override
    {
        LinkTiming t;
        t.shortReplyPauseMs = 0;
        auto p = std::make_unique<ScriptedPort>();
        port = p.get();
        device = std::make_unique<CLPGDevice>(prompt, t, AppConfig("/nonexistent/x.conf"), std::move(p));
        device->setConnected(true);
        device->m_settings.m_devInfo.m_injCount = 4;
    }
    CMainCorrEditor editor() { return CMainCorrEditor(*device, [this] { return now; }); }
    void ack()
    {
        port->chunks.push_back(frame(2, {4, 0, 0, 0, 0, 0}));
        port->chunks.push_back({});
    }
    std::size_t framesSent() const
    {
        std::size_t n = 0;
        for (std::size_t i = 0; i + 1 < port->written.size(); ++i)
            n += port->written[i] == 0xAA && port->written[i + 1] == 0x55;
        return n;
    }
    static std::vector<std::string> texts(const CMainCorrEditor& e)
    {
        std::vector<std::string> out;
        for (int i = 0; i < CMainCorrEditor::kCylinders; ++i)
            out.push_back(e.text(i));
        return out;
    }
};

} // namespace

TEST_F(MainCorr, TextsVisibilityAndEnabling)
{
    device->m_settings.m_mainCorr.m_mainCorr = {1.0, -0.4, 2.25, 6.0, -3.0, 0.0, 1.5, 0.05};
    auto e = editor();
    EXPECT_EQ(texts(e), (std::vector<std::string>{"1.00", "-0.40", "2.25", "6.00", "-3.00", "0.00", "1.50", "0.05"}));
    EXPECT_TRUE(e.changeForAll());

    EXPECT_EQ(e.visibleCylinders(), 4);
    EXPECT_TRUE(e.cylinderVisible(3));
    EXPECT_FALSE(e.cylinderVisible(4));
    EXPECT_TRUE(e.spinEnabled(0));
    EXPECT_FALSE(e.spinEnabled(1)); // cylinder 1 speaks for all
    e.setChangeForAll(false);
    EXPECT_TRUE(e.spinEnabled(1));
    EXPECT_TRUE(e.spinEnabled(3));
    EXPECT_FALSE(e.spinEnabled(4)); // hidden
    device->setConnected(false);
    EXPECT_FALSE(e.spinEnabled(0));
    EXPECT_FALSE(e.spin(0, -1, false));

    for (auto [count, shown] : {std::pair{0, 0}, {8, 8}, {200, 8}, {-1, 0}}) {
        device->m_settings.m_devInfo.m_injCount = count;
        EXPECT_EQ(e.visibleCylinders(), shown) << count;
    }
}

TEST_F(MainCorr, AnUpwardStepOnCylinderOneSetsAllEight)
{
    device->m_settings.m_mainCorr.m_mainCorr = {1.2, 0, 0, 0, 0, 0, 0, 0};
    auto e = editor();
    EXPECT_TRUE(e.stepUp(0));
    EXPECT_EQ(texts(e), std::vector<std::string>(8, "1.21"));
    EXPECT_TRUE(e.spin(0, +1, true)); // the coarse control's downward arrow
    EXPECT_EQ(texts(e), std::vector<std::string>(8, "1.11"));

    e.setChangeForAll(false);
    EXPECT_TRUE(e.stepUp(2, true));
    EXPECT_EQ(texts(e), (std::vector<std::string>{"1.11", "1.11", "1.21", "1.11", "1.11", "1.11", "1.11", "1.11"}));
    // The control's delta is taken as it comes: two ticks at once move two hundredths.
    EXPECT_TRUE(e.spin(1, -2, false));
    EXPECT_EQ(e.text(1), "1.13");
}

TEST_F(MainCorr, StepsStayWithinMinusThreeAndSix)
{
    device->m_settings.m_mainCorr.m_mainCorr.fill(5.9);
    auto e = editor();
    // Ten small steps up reach 6.00 exactly, however 0.01 adds up in binary.
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(e.stepUp(0)) << i;
    EXPECT_EQ(e.text(0), "6.00");
    EXPECT_FALSE(e.stepUp(0));
    EXPECT_EQ(e.text(7), "6.00");
    EXPECT_TRUE(e.stepDown(0)); // and back down again
    EXPECT_EQ(e.text(0), "5.99");

    e.setText(0, "-2.95");
    EXPECT_FALSE(e.stepDown(0, true)); // −3.05 is beyond the bound: nothing changes at all
    EXPECT_EQ(e.text(0), "-2.95");
    EXPECT_EQ(e.text(1), "5.99");
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(e.stepDown(0));
    EXPECT_EQ(e.text(0), "-3.00");
    EXPECT_FALSE(e.stepDown(0));
}

TEST_F(MainCorr, TenQuickStepsWriteTheBlockOnce)
{
    auto e = editor();
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(e.stepUp(0));
        now += 200ms;
        EXPECT_FALSE(e.tick());
    }
    now += 299ms;
    EXPECT_FALSE(e.tick());
    EXPECT_EQ(framesSent(), 0u);

    ack();
    now += 1ms;
    EXPECT_TRUE(e.tick());
    EXPECT_FALSE(e.tick());
    ASSERT_EQ(framesSent(), 1u);
    EXPECT_EQ(port->written[3], 15);
    for (double v : device->m_settings.m_mainCorr.m_mainCorr)
        EXPECT_DOUBLE_EQ(v, 1.1);
    EXPECT_EQ(port->written[2], 16);
    EXPECT_TRUE(prompt.errors.empty());
}

TEST_F(MainCorr, ApplyingTakesOnlyNumbersWithinTheRange)
{
    device->m_settings.m_mainCorr.m_mainCorr = {1.0, 1.25, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
    auto e = editor();
    e.setText(0, " 2.5 ");
    e.setText(1, "1,75");  // a comma decimal is not a number here: the record's value stays
    e.setText(2, "99");
    e.setText(3, "-7");
    e.setText(4, "nan");
    e.setText(5, "+0.3");
    ack();
    EXPECT_EQ(e.apply(), MainCorrApplyOutcome::Written);
    const auto& c = device->m_settings.m_mainCorr.m_mainCorr;
    EXPECT_EQ(c[0], 2.5);
    EXPECT_EQ(c[1], 1.25);
    EXPECT_EQ(c[2], 6.0);
    EXPECT_EQ(c[3], -3.0);
    EXPECT_EQ(c[4], 1.0);
    EXPECT_EQ(c[5], 0.3);
    EXPECT_EQ(texts(e), (std::vector<std::string>{"2.50", "1.25", "6.00", "-3.00", "1.00", "0.30", "1.00", "1.00"}));

    // A step on a text that is no number starts from the record's value.
    e.setText(0, "abc");
    EXPECT_TRUE(e.stepUp(0));
    EXPECT_EQ(e.text(0), "2.51");
}

TEST_F(MainCorr, FailuresAreShown)
{
    auto e = editor();
    ASSERT_TRUE(e.stepUp(0));
    EXPECT_EQ(e.apply(), MainCorrApplyOutcome::Failed); // no reply
    ASSERT_EQ(prompt.errors.size(), 1u);
    EXPECT_EQ(prompt.errors[0], "Nie powiodło się ustawienie urządzenia!");
    EXPECT_EQ(device->m_settings.m_mainCorr.m_mainCorr[0], 1.01); // the record keeps the change

    port->failWrites = true;
    EXPECT_EQ(e.apply(), MainCorrApplyOutcome::Raised);
    ASSERT_EQ(prompt.plains.size(), 1u);
    EXPECT_EQ(prompt.plains[0].rfind("CMainCorrDlg::OnTimer()\n", 0), 0u);

    // Without a controller the timer ends quietly and the record stays.
    device->setConnected(false);
    e.setText(0, "3.00");
    EXPECT_EQ(e.apply(), MainCorrApplyOutcome::NotConnected);
    EXPECT_EQ(device->m_settings.m_mainCorr.m_mainCorr[0], 1.01);
    EXPECT_EQ(prompt.errors.size(), 1u);
}
