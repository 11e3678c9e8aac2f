// The link with the production timing record: a silent controller costs about one second per
// attempt, and a late reply completes only in the exchange that reads twice.

#include <gtest/gtest.h>

#include "VirtualController.h"
#include "device/CLPGDevice.h"
#include "platform/Clock.h"

using namespace tarvola;

TEST(RealTiming, ControllerWorksWithTheStandardConstants)
{
    sim::VirtualController sim;
    const auto path = sim.start();
    CSilentPrompt prompt;
    CLPGDevice device(prompt, LinkTiming::standard(), AppConfig("/nonexistent/real-timing.conf"));
    ASSERT_TRUE(device.openPort(path));
    EXPECT_EQ(device.m_settings.m_devInfo.m_version, 0x0206);
    MapBlock map{};
    EXPECT_TRUE(device.readMapBlock(map));
    EXPECT_TRUE(device.switchToGas()); // one 500 ms pause
}

TEST(RealTiming, SilentLinkCheckGivesUpAfterFiveSeconds)
{
    sim::VirtualController sim;
    const auto path = sim.start();
    CSilentPrompt prompt;
    CLPGDevice device(prompt, LinkTiming::standard(), AppConfig("/nonexistent/real-timing.conf"));
    ASSERT_TRUE(device.openPort(path));
    sim.dropNext(5);
    const auto began = SteadyClock::now();
    EXPECT_FALSE(device.checkLink());
    const auto took = elapsedMs(began);
    EXPECT_GE(took, 5 * 1000); // 4 bytes asked: 1004 ms each
    EXPECT_LT(took, 6500);
}

TEST(RealTiming, LateReplyCompletesInSendReceiveOnly)
{
    sim::VirtualController sim;
    const auto path = sim.start();
    CSilentPrompt prompt;
    CLPGDevice device(prompt, LinkTiming::standard(), AppConfig("/nonexistent/real-timing.conf"));
    ASSERT_TRUE(device.openPort(path));
    sim.setFault(sim::Fault::Late, 0.0, 0);

    ExchangeBuffer b{};
    b[0] = 13;
    std::uint8_t len = 6, code = 2;
    EXPECT_TRUE(device.sendReceive(b, len, code));
    EXPECT_EQ(code, 8);

    // The poll's exchange does not wait for stragglers.
    ExchangeBuffer p{};
    p[0] = 6;
    len = 6;
    code = 2;
    EXPECT_FALSE(device.link().exchange(p, len, code, "", CLink::ReadMode::FailShortRead));
    sim.setFault(sim::Fault::None, 0.0, -1);
    // The held-back tail still arrives on its own (three bytes) after the exchange gave up on it.
    std::array<std::uint8_t, 16> tail{};
    std::size_t got = 0;
    const auto until = SteadyClock::now() + std::chrono::seconds(20);
    while (got < 3 && SteadyClock::now() < until)
        got += device.link().port().read(tail.data() + got, tail.size() - got);
    EXPECT_EQ(got, 3u);
    DiagPayload s{};
    EXPECT_EQ(device.pollDiagnostics(s), PollStatus::Read);
}
