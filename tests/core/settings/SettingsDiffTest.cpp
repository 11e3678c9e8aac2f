// What differs between two configurations, and the label each difference is shown with.

#include <gtest/gtest.h>

#include "settings/SettingsDiff.h"
#include "settings/SettingsKeys.h"

using namespace tarvola;

TEST(SettingsDiff, LabelsComeFromTheControlThatSetsTheFieldMostDirectly)
{
    const struct {
        const char* key;
        const char* label;
    } cases[] = {
        {"m_base.m_switchRPM", "Obroty przełączania"},
        {"m_sensorsSetup.m_fuelQuarter", "1/4"},  // not the sensor type, which sets all four thresholds
        {"m_injMapTable[5][1500]", "Mapa"},
        {"m_setupTimes1[3]", "Linia mnożnika"},
        {"m_mainCorr.m_mainCorr[0]", "Korekcje"},
        {"m_devInfo.m_serial", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(settingLabel(c.key), c.label) << c.key;
}

TEST(SettingsDiff, ListsChangedSettingsButNotWhenOrHowLongTheCarRan)
{
    CDeviceSettings a, b;
    b.m_base.m_switchRPM = a.m_base.m_switchRPM + 500;
    b.m_injMapTable[3][2] = 7;
    b.m_timeStamp = "2026-12-07 10:00";
    b.m_devInfo.m_statistic.gas = 1234;
    const auto d = settingsDifferences(a, b);
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].key->name(), "m_base.m_switchRPM");
    EXPECT_EQ(d[0].after, formatSettingsNumber(b.m_base.m_switchRPM));
    EXPECT_EQ(d[1].key->name(), "m_injMapTable[5][2000]");
    EXPECT_EQ(d[1].before + "→" + d[1].after, "0→7");
    EXPECT_TRUE(settingsDifferences(a, a).empty());
}
