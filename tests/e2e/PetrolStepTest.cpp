// The switch-to-petrol step: its poll budget, the bound when it has none, and failures on the way.

#include "SimFixture.h"
#include "platform/Clock.h"

using namespace tarvola;
using namespace tarvola::test;

// The budget is one poll per pause for as long as every cylinder takes to leave gas; with no
// emulator delay there is none, and the wait ends at a time bound or after six failed polls.
TEST_F(SimLink, ThePetrolWaitEndsOnPetrolOrWhenItsBudgetOrBoundRunsOut)
{
    struct Case {
        const char* name;
        double emulatorDelay;
        int injectors;
        std::uint32_t pollPauseMs, unboundedWaitMs;
        bool stuckOnGas, pollsUnanswered;
        bool petrol;
        int minPolls, maxPolls;
        std::int64_t minMs, maxMs;
    };
    const Case cases[] = {
        {"budget of one: the switch alone", 0.06, 1, 56, 60000, false, false, false, 0, 0, 0, 60000}, // 60 / 56 ms
        {"within the budget", 0.5, 4, 10, 60000, false, false, true, 1, 200, 0, 60000},
        {"no budget", 0, 4, 10, 60000, false, false, true, 1, 1000, 0, 60000},
        {"no budget, stuck on gas", 0, 4, 10, 600, true, false, false, 3, 1000, 600, 5000},
        {"no budget, polls unanswered", 0, 4, 10, 60000, true, true, false, 6, 6, 0, 60000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkTiming t = quickTiming();
        t.petrolPollPauseMs = c.pollPauseMs;
        t.petrolUnboundedWaitMs = c.unboundedWaitMs;
        start({}, t);
        sim->setWorkMode(ModeGas);
        sim->setNeverPetrol(c.stuckOnGas);
        if (c.pollsUnanswered)
            sim->ignoreControlRequest(6);
        device->m_settings.m_devInfo.m_injCount = c.injectors;
        device->m_settings.m_base.m_emulatorDelay = c.emulatorDelay;
        prompt.pumps = 0;
        const auto began = SteadyClock::now();
        EXPECT_EQ(device->switchToPetrolAndWait(), c.petrol);
        const auto took = elapsedMs(began);
        EXPECT_GE(took, c.minMs);
        EXPECT_LT(took, c.maxMs);
        EXPECT_EQ(count(2, 2), 1);
        const int polls = count(2, 6);
        EXPECT_GE(polls, c.minPolls);
        EXPECT_LE(polls, c.maxPolls);
        EXPECT_EQ(prompt.pumps, polls) << "events are pumped after every poll";
        TearDown();
    }
}

TEST_F(SimLink, AFailedSwitchOrAVanishedControllerEndsTheWait)
{
    start({}, failFast(2, 80));
    sim->setWorkMode(ModeGas);
    sim->setNeverPetrol(true);
    device->m_settings.m_base.m_emulatorDelay = 0;
    sim->dropNext(2);
    EXPECT_FALSE(device->switchToPetrolAndWait());
    EXPECT_EQ(count(2, 6), 0) << "no wait without the switch";

    // The port goes away while the step polls: a port error, at once.
    prompt.onPump = [&] {
        if (prompt.pumps == 3)
            sim->vanish();
    };
    EXPECT_THROW(device->switchToPetrolAndWait(), CRSError);
    EXPECT_EQ(prompt.pumps, 3);
}
