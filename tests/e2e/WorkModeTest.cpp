// The work-mode sequence both faces run for "automatic".

#include "SimFixture.h"

using namespace tarvola;
using namespace tarvola::test;

namespace {
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
