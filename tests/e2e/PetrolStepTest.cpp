// The switch-to-petrol step: its poll budget, the bound when it has none, and failures on the way.

#include "SimFixture.h"
#include "platform/Clock.h"

using namespace tarvola;
using namespace tarvola::test;

namespace {
int pollsIn(const std::vector<std::vector<std::uint8_t>>& frames)
{
    int n = 0;
    for (const auto& f : frames)
        n += f.size() == 12 && f[3] == 2 && f[4] == 6;
    return n;
}
} // namespace

TEST_F(SimLink, BudgetOfOneSendsTheSwitchAndNoPoll)
{
    LinkTiming t = quickTiming();
    t.petrolPollPauseMs = 56; // the budget counts polls of this pause
    start({}, t);
    sim->setWorkMode(ModeGas);
    device->m_settings.m_devInfo.m_injCount = 1;
    device->m_settings.m_base.m_emulatorDelay = 0.06; // 60 / 56 -> P = 1
    sim->clearReceived();
    EXPECT_FALSE(device->switchToPetrolAndWait());
    const auto f = frames();
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0], controlFrame(2));
}

TEST_F(SimLink, LeavesGasWithinTheBudgetAndPumpsEventsWhileWaiting)
{
    start();
    ASSERT_TRUE(device->switchToGas());
    sim->setWorkMode(ModeGas);
    device->m_settings.m_devInfo.m_injCount = 4;
    device->m_settings.m_base.m_emulatorDelay = 0.5;
    sim->clearReceived();
    EXPECT_TRUE(device->switchToPetrolAndWait());
    EXPECT_GE(pollsIn(frames()), 1);
    EXPECT_GE(prompt.pumps, 1);
}

TEST_F(SimLink, WithoutABudgetItPollsUntilPetrol)
{
    start();
    sim->setWorkMode(ModeGas);
    device->m_settings.m_devInfo.m_injCount = 4;
    device->m_settings.m_base.m_emulatorDelay = 0;
    EXPECT_TRUE(device->switchToPetrolAndWait());
}

TEST_F(SimLink, WithoutABudgetAControllerStuckOnGasFailsAtTheBound)
{
    start(); // bound 600 ms in the quick timing record
    sim->setNeverPetrol(true);
    sim->setWorkMode(ModeGas);
    device->m_settings.m_devInfo.m_injCount = 4;
    device->m_settings.m_base.m_emulatorDelay = 0;
    const auto began = SteadyClock::now();
    EXPECT_FALSE(device->switchToPetrolAndWait());
    const auto took = elapsedMs(began);
    EXPECT_GE(took, 600);
    EXPECT_LT(took, 3000);
    EXPECT_GE(pollsIn(frames()), 3);
}

TEST_F(SimLink, WithoutABudgetASilentControllerFailsAfterSixPolls)
{
    LinkTiming t = quickTiming();
    t.petrolUnboundedWaitMs = 60000; // the failed polls, not the clock, must end this wait
    t.readTimeoutConstantMs = 80;
    start({}, t);
    sim->setWorkMode(ModeGas);
    device->m_settings.m_devInfo.m_injCount = 4;
    device->m_settings.m_base.m_emulatorDelay = 0;
    ASSERT_TRUE(device->switchToPetrol());
    sim->setNeverPetrol(true);
    sim->dropNext(1000);
    sim->clearReceived();
    const auto began = SteadyClock::now();
    // The petrol switch itself is dropped too: it fails after its attempts.
    EXPECT_FALSE(device->switchToPetrolAndWait());
    EXPECT_LT(elapsedMs(began), 10000);
}

TEST_F(SimLink, ControllerVanishingDuringTheWaitEndsItWithAPortError)
{
    start();
    sim->setNeverPetrol(true);
    sim->setWorkMode(ModeGas);
    device->m_settings.m_devInfo.m_injCount = 4;
    device->m_settings.m_base.m_emulatorDelay = 0;
    ASSERT_TRUE(device->switchToPetrol());
    std::thread killer([&] {
        sleepMs(150);
        sim->vanish();
    });
    const auto began = SteadyClock::now();
    bool ok = true;
    try {
        ok = device->switchToPetrolAndWait();
    } catch (const CRSError&) {
        ok = false;
    }
    killer.join();
    EXPECT_FALSE(ok);
    EXPECT_LT(elapsedMs(began), 3000);
}
