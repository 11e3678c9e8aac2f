// What the device announces to its listener, and the rules of the dashboard's injector switches.

#include <gtest/gtest.h>

#include "device/CLPGDevice.h"

using namespace tarvola;

namespace {
struct Listener : IDeviceListener {
    std::vector<DeviceChange> heard;
    void deviceChanged(const DeviceChange& change) override { heard.push_back(change); }
};

struct DemoDevice : ::testing::Test {
    CSilentPrompt prompt;
    CLPGDevice device{prompt};
    Listener listener;
    void SetUp() override { device.setListener(&listener); }
    void TearDown() override { device.setListener(nullptr); }
};
} // namespace

TEST_F(DemoDevice, EachOperationIsAnnouncedOnceWithEverythingItChanged)
{
    device.startDemo();
    ASSERT_EQ(listener.heard.size(), 1u);
    EXPECT_EQ(listener.heard[0].parts, DeviceChange::Connection | DeviceChange::Replaced | DeviceChange::Identity);

    // A batch (a settings file load, say) is heard once, at the end of the outermost batch.
    listener.heard.clear();
    {
        CLPGDevice::ChangeBatch outer(device);
        EXPECT_TRUE(device.writeSettings(SettingsBlock::Base));
        {
            CLPGDevice::ChangeBatch inner(device);
            EXPECT_TRUE(device.writeSettings(SettingsBlock::MainCorr));
        }
        EXPECT_TRUE(device.writeMap());
        EXPECT_TRUE(listener.heard.empty());
    }
    ASSERT_EQ(listener.heard.size(), 1u);
    const DeviceChange& c = listener.heard[0];
    EXPECT_EQ(c.parts, DeviceChange::Map);
    EXPECT_TRUE(c.hasBlock(SettingsBlock::Base) && c.hasBlock(SettingsBlock::MainCorr));
    EXPECT_FALSE(c.hasBlock(SettingsBlock::Adv));

    // Nothing changed, nothing said; a real change of the connection is said once.
    listener.heard.clear();
    { CLPGDevice::ChangeBatch empty(device); }
    device.setConnected(true);
    EXPECT_TRUE(listener.heard.empty());
    device.setConnected(false);
    ASSERT_EQ(listener.heard.size(), 1u);
    EXPECT_EQ(listener.heard[0], DeviceChange::of(DeviceChange::Connection));
}

TEST_F(DemoDevice, InjectorSwitchesTakeTheMaskOnlyWhereTheFirmwareAllowsIt)
{
    EXPECT_EQ(CLPGDevice::injectorMask({true, false, true, false, false, false, false, true}), 0x85);
    EXPECT_EQ(CLPGDevice::injectorMask({}), 0);
    struct Row {
        std::int32_t version;
        std::uint8_t mode;
        bool accepts;
    };
    const Row rows[] = {{516, ModePetrol, false}, {516, ModeGas, true}, {517, ModePetrol, true}, {768, 0, true}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.version);
        device.m_settings.m_devInfo.m_version = r.version;
        EXPECT_EQ(device.acceptsInjectorMask(r.mode), r.accepts);
    }
}
