// The record's block reads and writes in demo mode: nothing is sent, reads keep the record as it is
// (in particular the map, which an unfilled block would turn into -100 % cells), writes succeed.

#include <gtest/gtest.h>

#include "core/link/ScriptedPort.h"
#include "device/CLPGDevice.h"

using namespace tarvola;

TEST(DemoSettings, ReadsKeepTheRecordAndWritesSucceedWithoutTraffic)
{
    CSilentPrompt prompt;
    auto owned = std::make_unique<test::ScriptedPort>();
    auto* port = owned.get();
    CLPGDevice device(prompt, LinkTiming::standard(), AppConfig("/nonexistent/x.conf"), std::move(owned));
    device.setDemo(true);

    device.m_settings.m_base.m_switchRPM = 2500;
    device.m_settings.m_injMapTable[3][3] = 12;
    device.m_settings.m_corrMap.m_flags = 1;
    const CDeviceSettings before = device.m_settings;

    for (auto block : {SettingsBlock::Base, SettingsBlock::Adv, SettingsBlock::AdvancedSetup, SettingsBlock::MainCorr,
                       SettingsBlock::SetupTimes, SettingsBlock::SensorsSetup}) {
        EXPECT_TRUE(device.readSettings(block));
        EXPECT_TRUE(device.writeSettings(block));
    }
    EXPECT_TRUE(device.readMap());
    EXPECT_TRUE(device.writeMap());

    EXPECT_EQ(device.m_settings.m_base.m_switchRPM, 2500);
    EXPECT_EQ(device.m_settings.m_injMapTable, before.m_injMapTable);
    EXPECT_EQ(device.m_settings.m_corrMap, before.m_corrMap);
    EXPECT_EQ(device.m_settings.m_sensorsSetup, before.m_sensorsSetup);

    // The OBD records are not part of the settings record.
    EXPECT_FALSE(device.readSettings(SettingsBlock::ObdConnection));
    EXPECT_FALSE(device.writeSettings(SettingsBlock::ObdCorrection));
    EXPECT_TRUE(port->written.empty());
}
