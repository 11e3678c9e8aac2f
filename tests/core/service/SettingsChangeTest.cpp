// A settings page's picked value through the record and the controller.

#include <gtest/gtest.h>

#include "service/SettingsChange.h"

namespace tarvola {
namespace {

TEST(SettingsChange, WithoutAControllerNothingChanges)
{
    CSilentPrompt prompt;
    CLPGDevice device(prompt);
    ASSERT_FALSE(device.isConnected());
    const auto before = device.m_settings.m_base;
    EXPECT_EQ(applySettingChange(device, *switchPage().find(2301), 50), ChangeResult::NotConnected);
    EXPECT_TRUE(device.m_settings.m_base == before);
}

} // namespace
} // namespace tarvola
