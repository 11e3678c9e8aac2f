// Demo mode: nothing touches the port; reading commands answer the fixed demo values.

#include <gtest/gtest.h>

#include "core/link/ScriptedPort.h"
#include "device/CLPGDevice.h"

using namespace tarvola;
using tarvola::test::ScriptedPort;

namespace {
struct Demo : ::testing::Test {
    CSilentPrompt prompt;
    ScriptedPort* port = nullptr;
    std::unique_ptr<CLPGDevice> device;
    void SetUp() override
    {
        LinkTiming t;
        t.demoPetrolWaitMs = 1;
        t.demoPollPauseMs = 1;
        auto p = std::make_unique<ScriptedPort>();
        port = p.get();
        device = std::make_unique<CLPGDevice>(prompt, t, AppConfig("/nonexistent/x.conf"), std::move(p));
        device->setDemo(true);
        device->setConnected(true);
    }
    void TearDown() override { EXPECT_TRUE(port->written.empty()) << "demo mode sent a frame"; }
};
} // namespace

TEST_F(Demo, IdentityStatisticsAndErrorFlags)
{
    ASSERT_TRUE(device->readIdentity());
    EXPECT_EQ(device->m_settings.m_devInfo.m_version, 768);
    EXPECT_EQ(device->m_settings.m_devInfo.m_serial, "qx001");
    ASSERT_TRUE(device->readStatistics());
    EXPECT_EQ(device->m_settings.m_devInfo.m_statistic.gas, 30u);
    EXPECT_EQ(device->m_settings.m_devInfo.m_statistic.lpg, 45u);
    EXPECT_EQ(device->m_settings.m_devInfo.m_statistic.modify, 1u);
    std::array<std::uint8_t, 4> flags{9, 9, 9, 9};
    ASSERT_TRUE(device->readErrorFlags(flags));
    EXPECT_EQ(flags, (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
}

TEST_F(Demo, PointMapsFollowTheirFormula)
{
    CPointMap petrol, gas;
    ASSERT_TRUE(device->readPetrolMap(petrol));
    ASSERT_TRUE(device->readGasMap(gas));
    EXPECT_EQ(petrol.counts[0], 400);
    EXPECT_EQ(petrol.counts[25], 400);
    EXPECT_EQ(petrol.counts[26], 0);
    EXPECT_EQ(gas.counts[25], 700);
    EXPECT_EQ(petrol.sums[3], 200000u);          // 3 * 500 / 3 * 400
    EXPECT_EQ(gas.sums[3], 392000u);             // 3 * 500 / 3 * 700 * 1.12
    EXPECT_EQ(gas.sums[1], 130667u);             // 116666.67 * 1.12 = 130666.67, rounded
    EXPECT_EQ(petrol.sums[1], 66667u);           // 66666.67 rounded
    EXPECT_EQ(petrol.total, 26 * 400);
    EXPECT_EQ(gas.total, 26 * 700);
}

TEST_F(Demo, EveryCommandSucceedsButTheBusQueries)
{
    std::array<std::uint8_t, 28> block{};
    block.fill(0x77);
    EXPECT_TRUE(device->readSettingsBlock(SettingsBlock::Base, block));
    EXPECT_EQ(block[0], 0x77); // left as it was
    EXPECT_TRUE(device->writeSettingsBlock(SettingsBlock::Base, block));
    MapBlock map{};
    EXPECT_TRUE(device->readMapBlock(map));
    EXPECT_TRUE(device->writeMapBlock(map));
    EXPECT_TRUE(device->storeMap());
    EXPECT_TRUE(device->clearMap());
    EXPECT_TRUE(device->setMapCell(0, 0, 5));
    EXPECT_TRUE(device->editMapRange(0, 0, 1, 1, MapEdit::Add, 3));
    EXPECT_TRUE(device->setActiveInjectors(0x0F));
    EXPECT_TRUE(device->erasePetrolMap());
    EXPECT_TRUE(device->eraseGasMap());
    EXPECT_TRUE(device->clearErrors());
    EXPECT_TRUE(device->enterProgramming());
    EXPECT_TRUE(device->firmwareRequest96());
    EXPECT_TRUE(device->firmwareRequest10());
    std::vector<std::uint8_t> image(1024);
    EXPECT_TRUE(device->writeFirmware(image, 8));

    std::array<std::uint8_t, 20> req{};
    std::vector<std::uint8_t> reply;
    EXPECT_FALSE(device->busRequest(req, reply));
    const BusRequestItem item;
    EXPECT_FALSE(device->busRequests(0x7E0, 0x7E0, 0x7E0, std::span(&item, 1), reply));
}

TEST_F(Demo, SwitchesSetTheSimulatedWorkMode)
{
    EXPECT_EQ(device->demoWorkMode(), ModePetrol);
    EXPECT_TRUE(device->switchToGas());
    EXPECT_EQ(device->demoWorkMode(), ModeGas);
    DiagPayload s{};
    EXPECT_EQ(device->pollDiagnostics(s), PollStatus::Read);
    EXPECT_EQ(s[0], ModeGas);
    EXPECT_TRUE(device->switchToPetrolAndWait());
    EXPECT_EQ(device->demoWorkMode(), ModePetrol);
}
