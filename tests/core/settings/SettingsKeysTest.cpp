// The settings keys: their file order, the fields and blocks they name, the formatting of their
// values, and the values the checked setter refuses.

#include <gtest/gtest.h>

#include <set>

#include "settings/SettingsKeys.h"

using namespace tarvola;

TEST(SettingsKeys, CountAndExactNames)
{
    const auto& keys = settingsKeys();
    // Time stamp, identity, car, base, adv, main corrections, sensor bytes, lambda table, sensor
    // thresholds and types, setup times 1, mask, setup times 2, map, map flags, advanced: a file
    // without one of them does not load.
    ASSERT_EQ(keys.size(), 1u + 10 + 7 + 19 + 13 + 8 + 4 + 15 + 9 + 20 + 1 + 20 + 285 + 1 + 4);
    std::set<std::string> names;
    for (const auto& key : keys) {
        EXPECT_TRUE(names.insert(key.name()).second) << key.name() << " twice";
        EXPECT_EQ(findSettingsKey(key.name()), &key);
    }
    EXPECT_EQ(findSettingsKey("m_base.m_pcStamp"), nullptr);
    EXPECT_EQ(findSettingsKey("M_BASE.M_SWITCHRPM"), nullptr);
}

TEST(SettingsKeys, EachKeyIsSentByTheWriteOfItsBlockAndNumberedKeysCountFromOne)
{
    // The block follows from the key's path; the identity, car and time stamp are never sent.
    const std::pair<const char*, SettingsBlock> prefixes[] = {
        {"m_base.", SettingsBlock::Base},          {"m_adv.", SettingsBlock::Adv},
        {"m_mainCorr.", SettingsBlock::MainCorr},  {"m_setupTimes", SettingsBlock::SetupTimes},
        {"m_tableMask", SettingsBlock::SetupTimes}, {"m_sensorsSetup.", SettingsBlock::SensorsSetup},
        {"m_advancedSetup.", SettingsBlock::AdvancedSetup},
    };
    for (const auto& key : settingsKeys()) {
        const auto starts = [&](const char* prefix) { return key.name().rfind(prefix, 0) == 0; };
        KeyTarget target = starts("m_injMapTable") || starts("m_corrMap.") ? KeyTarget::Map : KeyTarget::None;
        for (const auto& [prefix, block] : prefixes) {
            if (starts(prefix)) {
                target = KeyTarget::Block;
                EXPECT_EQ(key.block(), block) << key.name();
            }
        }
        EXPECT_EQ(key.target(), target) << key.name();
        EXPECT_EQ(key.kind() == KeyKind::Text, key.type() == FieldType::Text) << key.name();
    }

    CDeviceSettings s;
    std::string error;
    const std::pair<const char*, double*> places[] = {
        {"m_setupTimes1[1]", &s.m_setupTimes1[0]},         {"m_setupTimes2[20]", &s.m_setupTimes2[19]},
        {"m_injMapTable[2][1000]", &s.m_injMapTable[0][0]}, {"m_injMapTable[11][4500]", &s.m_injMapTable[9][7]},
        {"m_injMapTable[20][8000]", &s.m_injMapTable[18][14]},
    };
    for (const auto& [name, field] : places) {
        ASSERT_TRUE(findSettingsKey(name)->set(s, "3", error)) << name << ": " << error;
        EXPECT_EQ(*field, 3) << name;
    }
}

TEST(SettingsKeys, ValuesAreWrittenAsTheFileWritesThem)
{
    CDeviceSettings s;
    s.m_carInfo.m_reductorPress = 1234567;
    s.m_mainCorr.m_mainCorr[0] = 0.004;
    s.m_devInfo.m_version = -2;
    const std::pair<const char*, const char*> texts[] = {
        {"m_carInfo.m_reductorPress", "1.23457e+06"}, // doubles with 6 significant digits
        {"m_mainCorr.m_mainCorr[0]", "0.004"},
        {"m_devInfo.m_version", "-2"},
    };
    for (const auto& [name, text] : texts)
        EXPECT_EQ(findSettingsKey(name)->text(s), text) << name;
}

TEST(SettingsKeys, SetterRefusesWhatTheFieldCannotHold)
{
    struct Case {
        const char* key;
        const char* value;
        bool accepted;
    };
    const Case cases[] = {
        // integers: whole, within the field
        {"m_base.m_sparkDivider", "255", true},  {"m_base.m_sparkDivider", "+7", true},
        {"m_base.m_sparkDivider", "256", false}, {"m_base.m_sparkDivider", "-1", false},
        {"m_base.m_sparkDivider", "1.5", false}, {"m_base.m_sparkDivider", "7x", false},
        {"m_base.m_sparkDivider", "0x10", false}, {"m_devInfo.m_version", "-5", true},
        {"m_devInfo.m_statistic.gas", "4294967295", true}, {"m_devInfo.m_statistic.gas", "4294967296", false},
        // doubles: finite, and their wire code must fit
        {"m_carInfo.m_reductorPress", "1e300", true}, // never sent
        {"m_carInfo.m_reductorPress", "nan", false}, {"m_carInfo.m_reductorPress", "1e999", false},
        {"m_carInfo.m_reductorPress", "0,5", false},
        {"m_base.m_switchRPM", "74", true},  // period code 64865
        {"m_base.m_switchRPM", "73", false}, // period code 65753
        {"m_base.m_switchRPM", "0", false},  {"m_base.m_switchRPM", "1e300", false},
        {"m_base.m_switchPressure", "240", true}, {"m_base.m_switchPressure", "241", false},
        {"m_base.m_switchTempr", "255", true},    {"m_base.m_switchTempr", "256", false},
        {"m_base.m_temprBottom", "-47", true},    {"m_base.m_temprBottom", "-48", false},
        {"m_base.m_pressureGain", "-12.8", true}, {"m_base.m_pressureGain", "12.8", false},
        {"m_base.m_switchMinGasTime", "1638.375", true}, {"m_base.m_switchMinGasTime", "1638.4", false},
        {"m_adv.m_pwm", "265", true},             {"m_adv.m_pwm", "266", false},
        {"m_setupTimes1[1]", "155.9", true},      {"m_setupTimes1[1]", "156", false},
        {"m_injMapTable[2][1000]", "-50", true},  {"m_injMapTable[2][1000]", "160", false},
        {"m_sensorsSetup.m_lambdaEmulatorTable[1000]", "5.1", false},
        // texts
        {"m_carInfo.m_vendor", "A\tB", true},     {"m_carInfo.m_vendor", "A\nB", false},
        {"m_devInfo.m_serial", "ABCD567890123456", true}, {"m_devInfo.m_serial", "ABCD5678901234567", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " = \"" + c.value + "\"");
        const SettingsKey* key = findSettingsKey(c.key);
        ASSERT_NE(key, nullptr);
        CDeviceSettings s;
        const std::string before = key->text(s);
        std::string error;
        EXPECT_EQ(key->set(s, c.value, error), c.accepted) << error;
        if (!c.accepted) {
            EXPECT_EQ(key->text(s), before) << "changed by a refused value";
            EXPECT_NE(error.find(c.key), std::string::npos) << "message does not name the key: " << error;
        }
    }
}
