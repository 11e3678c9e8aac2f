// The demo sample sequence: the first sample, the speed ramp and the petrol time of each work mode.

#include <gtest/gtest.h>

#include "device/CLPGDevice.h"
#include "monitor/CDiagData.h"
#include "device/DemoSequence.h"
#include "settings/Conversions.h"

using namespace tarvola;

namespace {

CDiag numbered(std::uint32_t n)
{
    CDiag s;
    s.setSequence(n);
    return s;
}

struct DemoPolls : ::testing::Test {
    CSilentPrompt prompt;
    std::unique_ptr<CLPGDevice> device;
    void SetUp() override
    {
        resetDemoSequenceForTesting();
        LinkTiming t;
        t.demoPollPauseMs = 0;
        device = std::make_unique<CLPGDevice>(prompt, t, AppConfig("/nonexistent/x.conf"));
        device->setDemo(true);
        device->setConnected(true);
    }
    CDiag poll()
    {
        DiagPayload p{};
        EXPECT_EQ(device->pollDiagnostics(p), PollStatus::Read);
        CDiag s;
        std::copy(p.begin(), p.end(), s.m_bytes.begin());
        return s;
    }
};

} // namespace

TEST_F(DemoPolls, FirstSampleAndTheFirstPollsFreshBuffer)
{
    device->diagData().append(numbered(9));
    const CDiag s = poll();
    EXPECT_EQ(device->diagData().count(), 0u);

    const std::pair<std::size_t, int> bytes[] = {
        {diag::WorkMode, ModePetrol}, {diag::ActiveInjectors, 0}, {12, 0}, {diag::GasPressure, 110}, {9, 110},
        {diag::Manifold, 50}, {diag::GasTemp, temperatureToCode(50, 1)}, {diag::ReducerTemp, temperatureToCode(70, 1)},
        {diag::Supply, 122}, {diag::Lambda1, 1}, {diag::Lambda2, 49}, {diag::FuelLevel, 12},
        {diag::ObdCorrection1, 101}, {diag::ObdCorrection2, 101}};
    for (const auto& [offset, value] : bytes)
        EXPECT_EQ(s.byte(offset), value) << "byte " << offset;
    EXPECT_EQ(s.word(diag::PeriodCount), 5000);
    const int offsets[8] = {1, -2, -1, 1, 2, 3, 2, 1};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(s.word(diag::petrolTime(2 * i)), 123 + offsets[i]) << i;
        EXPECT_EQ(s.word(diag::gasCorrection(2 * i)), 80) << i;
        EXPECT_EQ(s.word(diag::petrolTime(2 * i + 1)), 0) << i;
    }

    device->diagData().append(numbered(9));
    poll();
    EXPECT_EQ(device->diagData().count(), 1u); // later polls keep the buffer
}

TEST_F(DemoPolls, PeriodCountRampsUpAndBack)
{
    std::vector<int> periods;
    for (int i = 0; i < 202; ++i)
        periods.push_back(poll().word(diag::PeriodCount));
    for (int i = 0; i <= 100; ++i)
        EXPECT_EQ(periods[i], 5000 + i) << i;
    for (int i = 101; i <= 200; ++i)
        EXPECT_EQ(periods[i], 5200 - i) << i;
    EXPECT_EQ(periods[201], 5001);
}

TEST_F(DemoPolls, PetrolTimeFollowsTheManifoldAndShrinksInGasMode)
{
    poll();
    // t = (pressure code of 101 kPa - 50) * 6 = (113.22 - 50) * 6 = 379.32
    EXPECT_EQ(poll().word(diag::petrolTime(0)), 380);

    resetDemoSequenceForTesting();
    ASSERT_TRUE(device->switchToGas());
    const CDiag s = poll();
    EXPECT_EQ(s.byte(diag::WorkMode), ModeGas);
    EXPECT_EQ(s.byte(diag::ActiveInjectors), 255);
    EXPECT_EQ(s.word(diag::petrolTime(0)), 124); // the starting t is not scaled
    EXPECT_EQ(poll().word(diag::petrolTime(0)), 342); // 0.9 * 379.32 = 341.388 -> 341
}
