// The work-mode sequence both faces run for "automatic", and what a connection announces.

#include "SimFixture.h"

using namespace tarvola;
using namespace tarvola::test;

namespace {
struct Listener : IDeviceListener {
    std::vector<DeviceChange> heard;
    void deviceChanged(const DeviceChange& change) override { heard.push_back(change); }
};

// Sub-codes of the control requests the frames carry, in order.
std::vector<int> controlSubCodes(const std::vector<std::vector<std::uint8_t>>& frames)
{
    std::vector<int> out;
    for (const auto& f : frames)
        if (f.size() > 4 && f[3] == 2)
            out.push_back(f[4]);
    return out;
}
} // namespace

TEST_F(SimLink, AutomaticLeavesGasFirstThenAsksForAutomaticAfterAFreshPetrolSwitch)
{
    LinkTiming timing = quickTiming();
    timing.attempts = 2; // the refused switch below gives up sooner
    start({}, timing);
    ASSERT_TRUE(device->switchToGas());
    sim->setWorkMode(ModeGas);
    device->m_settings.m_devInfo.m_injCount = 4;
    device->m_settings.m_base.m_emulatorDelay = 0.1;
    sim->clearReceived();
    ASSERT_TRUE(device->goToAutomatic());
    const std::vector<int> subs = controlSubCodes(frames());
    // Petrol, polls until the controller reports petrol, petrol again, automatic.
    ASSERT_GE(subs.size(), 4u);
    EXPECT_EQ(subs.front(), 2);
    EXPECT_EQ(subs[1], 6);
    EXPECT_EQ((std::vector<int>(subs.end() - 2, subs.end())), (std::vector<int>{2, 3}));

    // A controller that will not leave gas never gets the automatic request.
    sim->ignoreControlRequest(2);
    sim->clearReceived();
    EXPECT_FALSE(device->goToAutomatic());
    for (int sub : controlSubCodes(frames()))
        EXPECT_NE(sub, 3);
}

TEST_F(SimLink, AConnectionIsAnnouncedOnceWithEverythingItRead)
{
    start({}, quickTiming(), false);
    Listener listener;
    device->setListener(&listener);
    ASSERT_TRUE(device->openPort(path));
    device->setListener(nullptr);
    ASSERT_EQ(listener.heard.size(), 1u);
    const DeviceChange& c = listener.heard[0];
    EXPECT_EQ(c.parts, DeviceChange::Connection | DeviceChange::Replaced | DeviceChange::Identity | DeviceChange::Map);
    for (SettingsBlock b : {SettingsBlock::Base, SettingsBlock::Adv, SettingsBlock::AdvancedSetup,
                            SettingsBlock::MainCorr, SettingsBlock::SetupTimes, SettingsBlock::SensorsSetup})
        EXPECT_TRUE(c.hasBlock(b)) << layoutOf(b).name;
}
