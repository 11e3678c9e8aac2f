// The engine options a test or a demonstration sets: a cold start, a stall after N live polls and
// the engine clock's time scale, from the options to the live sample, at made-up time points.
#include <gtest/gtest.h>

#include <cmath>

#include "Controller.h"
#include "Conversions.h"
#include "SimTestSupport.h"

using namespace tarvola::sim;
using namespace tarvola::sim::test;

namespace {

double cylinder1Petrol(const Bytes& s) { return getBE16(&s[18]) * 0.025; }

}  // namespace

TEST(EngineColdStart, ReducerStaysBelowFiftyForTenMinutesOfEngineTime) {
    const Clock::time_point t0 = Clock::now();
    SimOptions o;
    o.cold = true;
    o.timeScale = 100;
    Controller c(o, t0);
    auto reducerAt = [&](Controller& k, Clock::duration wall) {
        return temperatureFromCode(k.handle(2, control(6), t0 + wall).payload[2], k.memory().reducerSensorColumn());
    };
    EXPECT_LE(reducerAt(c, ms(0)), 15);
    EXPECT_LE(temperatureFromCode(c.handle(2, control(6), t0).payload[3], c.memory().gasSensorColumn()), 15);
    // At 100 times, three seconds make five minutes of running: 70 − 55 × e^(−1/2) = 36.6 °C; the
    // reducer reaches 50 °C at about 607 s.
    EXPECT_NEAR(reducerAt(c, ms(3000)), 36.6, 3);
    EXPECT_LT(reducerAt(c, ms(5900)), 50);
    EXPECT_GE(reducerAt(c, ms(6300)), 50);

    // Without --cold or --warm the reducer is ready within a minute.
    Controller plain(SimOptions{}, t0);
    EXPECT_LT(reducerAt(plain, std::chrono::seconds(50)), 50);
    EXPECT_GE(reducerAt(plain, std::chrono::seconds(60)), 50);
}

TEST(EngineStall, EngineStopsOnceTheGivenNumberOfPollsWasAnswered) {
    // Engine time comes from the time points given, so a restarted engine is back at idle by the
    // next poll without waiting on the wall clock.
    Clock::time_point t = Clock::now();
    SimOptions o;
    o.stallAfter = 3;
    Controller c(o, t);
    auto poll = [&] { return c.handle(2, control(6), t += ms(100)).payload; };
    for (int i = 0; i < 3; ++i) EXPECT_GT(cylinder1Petrol(poll()), 2.0) << "poll " << i + 1;
    const Bytes stopped = poll();
    for (std::size_t k = 0; k < 8; ++k) EXPECT_EQ(getBE16(&stopped[18 + 4 * k]), 0) << "petrol word " << k;
    EXPECT_EQ(getBE16(&stopped[16]), 0);

    // Started again, it keeps running; armed mid-run, the count starts at the call.
    c.engine().setRunning(true);
    c.setStallAfterPolls(2);
    EXPECT_GT(cylinder1Petrol(poll()), 2.0);
    EXPECT_GT(cylinder1Petrol(poll()), 2.0);
    EXPECT_EQ(cylinder1Petrol(poll()), 0.0);

    c.engine().setRunning(true);
    c.setStallAfterPolls(-1);
    for (int i = 0; i < 5; ++i) EXPECT_GT(cylinder1Petrol(poll()), 2.0);
    c.setStallAfterPolls(0);
    EXPECT_EQ(cylinder1Petrol(poll()), 0.0) << "0 stops it at once";
}

TEST(EngineTimeScale, SwitchingAndStatisticsRunKTimesFaster) {
    const Clock::time_point t0 = Clock::now();
    SimOptions o;
    o.timeScale = 10;
    Controller c(o, t0);
    const std::uint32_t atStart = c.statisticPetrol() + c.statisticGas();
    auto mask = [&](Clock::time_point t) { return c.handle(2, control(6), t).payload[11]; };

    // The factory emulator delay of 0.5 s per cylinder takes 50 ms of wall-clock time.
    const Clock::time_point T = t0 + ms(1000);
    ASSERT_TRUE(isAck(c.handle(2, control(1), T)));
    EXPECT_EQ(mask(T + ms(49)), 0x0);
    EXPECT_EQ(mask(T + ms(50)), 0x1);
    EXPECT_EQ(mask(T + ms(200)), 0xF);

    // Ten seconds on the wall clock are a hundred of running: 200 half seconds, most on gas.
    c.advance(t0 + std::chrono::seconds(10));
    EXPECT_NEAR(c.statisticPetrol() + c.statisticGas() - atStart, 200, 1);
    EXPECT_GT(c.statisticGas() - 420u * 7200u, 170u);

    // Back to the wall clock's pace: engine time goes on from where it was, never back.
    c.setTimeScale(1, t0 + std::chrono::seconds(10));
    const std::uint32_t gasAt10 = c.statisticGas();
    c.advance(t0 + std::chrono::seconds(11));
    EXPECT_EQ(c.statisticGas() - gasAt10, 2u);
    c.advance(t0 + std::chrono::seconds(5));  // a stale time point changes nothing
    EXPECT_EQ(c.statisticGas() - gasAt10, 2u);
    c.setTimeScale(1000, t0 + std::chrono::seconds(11));
    EXPECT_EQ(c.timeScale(), 100) << "clamped to 1…100";
    c.setTimeScale(std::nan(""), t0 + std::chrono::seconds(11));
    EXPECT_EQ(c.timeScale(), 1);
}
