// The service computations: half seconds to running times, the PC code texts, the hours left and
// the stored service time, including the counter at its top.

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "settings/ServiceInfo.h"

using namespace tarvola;

namespace {
constexpr std::uint32_t kTop = std::numeric_limits<std::uint32_t>::max();

CDeviceSettings withGas(std::uint32_t lpg, std::uint32_t serviceTime, bool reminder)
{
    CDeviceSettings s;
    s.m_devInfo.m_statistic.lpg = lpg;
    s.m_advancedSetup.m_serviceTime = serviceTime;
    s.m_advancedSetup.m_advancedFlags = reminder ? 0x11 : 0x10;
    return s;
}
} // namespace

TEST(ServiceInfo, HalfSecondsToRunningTime)
{
    const std::pair<std::uint32_t, const char*> cases[] = {
        {7200, "1 : 00 : 00"},  {0, "0 : 00 : 00"},   {1, "0 : 00 : 00"}, // half a second truncates
        {7199, "0 : 59 : 59"},  {121, "0 : 01 : 00"}, {75600, "10 : 30 : 00"},
        {kTop, "596523 : 14 : 07"},
    };
    for (const auto& [count, text] : cases)
        EXPECT_EQ(runningTimeFromHalfSeconds(count).text(), text) << count;
}

TEST(ServiceInfo, PcCodeTextSwapsTheHalves)
{
    EXPECT_EQ(pcCodeText({0x01, 0x23, 0xAB, 0xCD}), "ABCD-0123");
    EXPECT_EQ(pcCodeText({0, 0, 0, 0x0F}), "000F-0000");

    CDeviceSettings s;
    s.m_base.m_pcStamp = {0xDE, 0xAD, 0xBE, 0xEF};
    s.m_devInfo.m_statistic = {7200, 75600, 3};
    const auto same = vehicleServiceInfo(s, true, PcStamp{0xDE, 0xAD, 0xBE, 0xEF});
    EXPECT_EQ(same.stampText, "BEEF-DEAD");
    EXPECT_EQ(same.thisPcDisplayText(), "BEEF-DEAD");
    EXPECT_TRUE(same.writtenByThisPc());
    EXPECT_EQ(same.petrolTime->text(), "1 : 00 : 00"); // the petrol row shows `gas`
    EXPECT_EQ(same.gasTime->text(), "10 : 30 : 00");

    const auto unknown = vehicleServiceInfo(s, false, std::nullopt);
    EXPECT_FALSE(unknown.petrolTime || unknown.gasTime); // statistics not read: rows stay empty
    EXPECT_EQ(unknown.thisPcDisplayText(), kUnknownPcCodeText);
    EXPECT_FALSE(unknown.writtenByThisPc());
}

TEST(ServiceInfo, RemainingHoursNeverNegative)
{
    const std::tuple<std::uint32_t, std::uint32_t, bool, std::optional<std::uint32_t>> cases[] = {
        {75600, 216000, true, 20u}, {75600, 216000, false, std::nullopt},
        {216000 + 7200, 216000, true, 0u}, // past the service
        {216000, 216000, true, 0u},        {7199, 14398, true, 1u}, // whole hours of each, not of the difference
        {0, kTop, true, 596523u},
    };
    for (const auto& [lpg, serviceTime, reminder, hours] : cases)
        EXPECT_EQ(remainingServiceHours(withGas(lpg, serviceTime, reminder)), hours) << lpg << " / " << serviceTime;
}

TEST(ServiceInfo, NextServiceSetsTimeAndReminderBit)
{
    auto s = withGas(75600, 0, false); // 10.5 h on gas
    s.m_advancedSetup.m_advancedFlags = 0xF0;
    setNextService(s, 1000);
    EXPECT_EQ(s.m_advancedSetup.m_serviceTime, 216000u); // (20 + 10) × 7200
    EXPECT_EQ(s.m_advancedSetup.m_advancedFlags, 0xF1);
    EXPECT_EQ(remainingServiceHours(s), 20u);

    setNextService(s, 0);
    EXPECT_EQ(s.m_advancedSetup.m_advancedFlags, 0xF0);
    EXPECT_EQ(s.m_advancedSetup.m_serviceTime, 72000u);
    EXPECT_EQ(remainingServiceHours(s), std::nullopt);

    EXPECT_EQ(serviceTimeForDistance(0, 549), 72000u); // 549 / 50 is 10 whole hours
    EXPECT_EQ(serviceTimeForDistance(kTop, 50000), kTop); // saturates instead of wrapping
    EXPECT_EQ(serviceTimeForDistance(0, kTop), kTop);

    const auto choices = serviceDistanceChoices(); // "Wyłączony", 500, then 1000..50000 by 1000
    EXPECT_EQ(choices.size(), 52u);
    EXPECT_EQ(choices.back().km, 50000u);
}
