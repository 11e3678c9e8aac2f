// The rules behind the settings pages' controls.

#include <gtest/gtest.h>

#include <cmath>

#include "settings/SettingsPages.h"

namespace tarvola {
namespace {

TEST(SettingsPages, ValueListsEndExactlyOnTheirLastValue)
{
    const auto tenths = valueRange(0.0, 2.0, 0.1, 1);
    ASSERT_EQ(tenths.size(), 21u);
    EXPECT_EQ(tenths.back().value, 2.0);
    EXPECT_EQ(tenths[3].value, 0.3);
    EXPECT_EQ(valueRange(0.0, 10.0, 0.5, 1).size(), 21u);
    EXPECT_EQ(valueRange(2800, 8000, 100, 0).size(), 53u);
    EXPECT_EQ(valueRange(0.0, 5.0, 0.1, 1).back().value, 5.0);
    EXPECT_TRUE(valueRange(1, 0, 1, 0).empty());
    EXPECT_TRUE(valueRange(0, 10, 0, 0).empty());
    // Every list of every page ends at a stated value and holds no duplicate.
    for (const SettingsPage* page : {&petrolPage(), &gasPage(), &switchPage(), &advancedPage()})
        for (const auto& c : page->controls)
            for (std::size_t i = 1; i < c.items.size(); ++i)
                EXPECT_NE(c.items[i].value, c.items[i - 1].value) << c.handler;
    EXPECT_EQ(formatItemValue(0.25, 1), "0.3");
    EXPECT_EQ(formatItemValue(-2.5, 0), "-3");
    EXPECT_TRUE(itemMatches({0.8, 1, nullptr}, 0.75));
    EXPECT_FALSE(itemMatches({1.0, 1, nullptr}, 0.8));
    EXPECT_FALSE(itemMatches({1.0, 1, nullptr}, NAN));
}

TEST(SettingsPages, PetrolInjectionTypeFollowsTheInjectorCount)
{
    EXPECT_EQ(channelPattern(2, 4)[0], 0x0F);
    EXPECT_EQ(channelPattern(2, 6)[0], 0x3F);
    EXPECT_EQ(channelPattern(0, 8)[7], 128);
    EXPECT_EQ(channelPattern(0, 4)[7], 0);
    EXPECT_EQ(channelPatternType(channelPattern(0, 4), 4), 0);
    EXPECT_EQ(channelPatternType(channelPattern(2, 6), 6), 2);
    EXPECT_EQ(channelPatternType(channelPattern(1, 8), 8), 1);
    // Bytes past the injector count are not compared; a pattern that fits nothing selects nothing.
    std::array<std::uint8_t, 8> bytes{1, 2, 4, 8, 99, 99, 99, 99};
    EXPECT_EQ(channelPatternType(bytes, 4), 0);
    bytes[0] = 3;
    EXPECT_EQ(channelPatternType(bytes, 4), -1);
    const auto* type = petrolPage().find(2104);
    CDeviceSettings s;
    s.m_devInfo.m_injCount = 4;
    s.m_adv.m_channelBytes = bytes;
    EXPECT_TRUE(std::isnan(type->get(s)));
}

TEST(SettingsPages, ControlsChangeTheirFieldsAndOnlyThose)
{
    CDeviceSettings s;
    s.m_advancedSetup.m_advancedFlags = 0x15;
    petrolPage().find(2103)->set(s, 1);  // TURBO
    EXPECT_EQ(s.m_advancedSetup.m_advancedFlags, 0x55);
    switchPage().find(2307)->set(s, 8000);
    EXPECT_EQ(s.m_base.m_maxRPMLow, 7000);
    EXPECT_EQ(s.m_base.m_flags & 0x02, 0);
    switchPage().find(2307)->set(s, 6500);
    EXPECT_EQ(s.m_base.m_maxRPMLow, 5500);
    EXPECT_EQ(s.m_base.m_flags & 0x02, 0x02);
    EXPECT_STREQ(switchPage().find(2307)->items.back().text, "Wyłączony");
    switchPage().find(2310)->set(s, 500);
    EXPECT_EQ(s.m_advancedSetup.m_advancedFlags & 0x02, 0);
    // Enrichment 0 also switches the enrichment off.
    s.m_advancedSetup.m_advancedFlags |= 0x04;
    advancedPage().find(2413)->set(s, 0);
    EXPECT_EQ(s.m_advancedSetup.m_advancedFlags & 0x04, 0);
    // Injector warming is two bits at once.
    s.m_adv.m_flags = 0x01;
    EXPECT_EQ(gasPage().find(2207)->get(s), 0.0);
    gasPage().find(2207)->set(s, 1);
    EXPECT_EQ(s.m_adv.m_flags, 0x03);
    // A byte field takes the value truncated.
    petrolPage().find(2101)->set(s, 3.9);
    EXPECT_EQ(s.m_base.m_sparkDivider, 3);
    // Injector and fuel sensor presets.
    gasPage().find(2201)->set(s, 5);
    EXPECT_EQ(s.m_adv.m_pwm, 35);
    EXPECT_EQ(s.m_adv.m_pwmOffset, 2.0);
    EXPECT_EQ(s.m_adv.m_injectorWarmingImpulse, 0.5);
    const auto other = injectorPreset(20);
    EXPECT_EQ(other.pwm, 35);
    EXPECT_EQ(other.pwmOffsetMs, 4.0);
    gasPage().find(2210)->set(s, 4);
    EXPECT_EQ(s.m_sensorsSetup.m_fuelRes, 2);
    EXPECT_EQ(s.m_sensorsSetup.m_fuelFull, 220);
    EXPECT_EQ(s.m_sensorsSetup.m_fuelQuarter, 70);
    const auto before = s.m_sensorsSetup;
    gasPage().find(2210)->set(s, 2);  // no preset: only the type changes
    EXPECT_EQ(s.m_sensorsSetup.m_fuelFull, before.m_fuelFull);
    EXPECT_EQ(s.m_sensorsSetup.m_fuelSensorType, 2);
}

TEST(SettingsPages, FuelLampsCountFromTheThresholds)
{
    CSensorsSetup s;  // 130, 126, 117, 114
    EXPECT_EQ(fuelLampsLit(131, s), 4);
    EXPECT_EQ(fuelLampsLit(130, s), 3);
    EXPECT_EQ(fuelLampsLit(120, s), 2);
    EXPECT_EQ(fuelLampsLit(116, s), 1);
    EXPECT_EQ(fuelLampsLit(114, s), 0);
    s.m_fuelFull = 45;
    s.m_fuelHgw = 140;
    s.m_fuelHalf = 180;
    s.m_fuelQuarter = 230;  // a falling sensor
    EXPECT_EQ(fuelLampsLit(40, s), 4);
    EXPECT_EQ(fuelLampsLit(230, s), 0);
    EXPECT_EQ(fuelLampsLit(200, s), 1);
}

TEST(SettingsPages, TheHandlersThatActWithoutAController)
{
    for (int id : {2401, 2405, 2406, 2411})
        EXPECT_FALSE(advancedPage().find(id)->needsConnection) << id;
    EXPECT_FALSE(petrolPage().find(2104)->needsConnection);
    EXPECT_FALSE(gasPage().find(2204)->needsConnection);
    EXPECT_TRUE(gasPage().find(2204)->endsWithReset);
    EXPECT_TRUE(petrolPage().find(2105)->endsWithReset);
    EXPECT_TRUE(advancedPasswordMatches("quorintal583"));
    EXPECT_FALSE(advancedPasswordMatches("quorintal583 "));
    EXPECT_FALSE(advancedPasswordMatches("QUORINTAL583"));
}

} // namespace
} // namespace tarvola
