// The rules behind the settings pages' controls.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "settings/SettingsPages.h"

namespace tarvola {
namespace {

const SettingsPage* const kPages[] = {&petrolPage(), &gasPage(), &switchPage(), &advancedPage()};

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
    EXPECT_EQ(formatItemValue(0.25, 1), "0.3");
    EXPECT_EQ(formatItemValue(-2.5, 0), "-3");
    EXPECT_TRUE(itemMatches({0.8, 1, nullptr}, 0.75));
    EXPECT_FALSE(itemMatches({1.0, 1, nullptr}, 0.8));
    EXPECT_FALSE(itemMatches({1.0, 1, nullptr}, NAN));
}

// A picked value must show as picked, and may change only fields of the blocks its change writes:
// a field of any other block would never reach the controller.
TEST(SettingsPages, EveryPickedValueShowsAsPickedAndStaysInTheBlocksItWrites)
{
    using Same = bool (*)(const CDeviceSettings&, const CDeviceSettings&);
    const std::pair<SettingsBlock, Same> parts[] = {
        {SettingsBlock::Base, [](const auto& a, const auto& b) { return a.m_base == b.m_base; }},
        {SettingsBlock::Adv, [](const auto& a, const auto& b) { return a.m_adv == b.m_adv; }},
        {SettingsBlock::MainCorr, [](const auto& a, const auto& b) { return a.m_mainCorr == b.m_mainCorr; }},
        {SettingsBlock::SetupTimes,
         [](const auto& a, const auto& b) {
             return a.m_setupTimes1 == b.m_setupTimes1 && a.m_setupTimes2 == b.m_setupTimes2 &&
                    a.m_tableMask == b.m_tableMask;
         }},
        {SettingsBlock::SensorsSetup, [](const auto& a, const auto& b) { return a.m_sensorsSetup == b.m_sensorsSetup; }},
        {SettingsBlock::AdvancedSetup,
         [](const auto& a, const auto& b) { return a.m_advancedSetup == b.m_advancedSetup; }},
    };
    int picked = 0;
    for (const SettingsPage* page : kPages) {
        for (const auto& c : page->controls) {
            for (std::size_t i = 0; i < c.items.size(); ++i) {
                SCOPED_TRACE(std::string(c.handler) + " item " + std::to_string(i));
                if (i > 0) {
                    EXPECT_NE(c.items[i].value, c.items[i - 1].value) << "the same value twice";
                }
                CDeviceSettings before;
                before.m_devInfo.m_injCount = 4;
                CDeviceSettings s = before;
                c.set(s, c.items[i].value);
                EXPECT_TRUE(itemMatches(c.items[i], c.get(s))) << c.get(s);
                for (const auto& [block, same] : parts) {
                    if (std::find(c.blocks.begin(), c.blocks.end(), block) == c.blocks.end()) {
                        EXPECT_TRUE(same(s, before)) << "changes block " << static_cast<int>(block);
                    }
                }
                EXPECT_EQ(s.m_injMapTable, before.m_injMapTable);
                EXPECT_EQ(s.m_devInfo.m_injCount, 4);
                ++picked;
            }
        }
    }
    EXPECT_GT(picked, 100);
}

TEST(SettingsPages, FieldsThatChangeTogether)
{
    CDeviceSettings s;
    // The top speed 8000 means no limit: the limit flag goes with it.
    switchPage().find(2307)->set(s, 8000);
    EXPECT_EQ(s.m_base.m_maxRPMLow, 7000);
    EXPECT_EQ(s.m_base.m_flags & 0x02, 0);
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
    // A fuel sensor with a preset brings its thresholds; one without changes only the type.
    gasPage().find(2210)->set(s, 4);
    EXPECT_EQ(s.m_sensorsSetup.m_fuelFull, 220);
    const auto before = s.m_sensorsSetup;
    gasPage().find(2210)->set(s, 2);
    EXPECT_EQ(s.m_sensorsSetup.m_fuelFull, before.m_fuelFull);
    EXPECT_EQ(s.m_sensorsSetup.m_fuelSensorType, 2);
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
    CDeviceSettings s;
    s.m_devInfo.m_injCount = 4;
    s.m_adv.m_channelBytes = bytes;
    EXPECT_TRUE(std::isnan(petrolPage().find(2104)->get(s)));
}

} // namespace
} // namespace tarvola
