// The calibration page's commands against the virtual controller: the point maps read and sorted,
// "Oblicz nastawy" writing the line it computes, the gas-map question, the petrol-map lock and
// the live point.

#include <gtest/gtest.h>

#include "SimFixture.h"
#include "calibration/CMultiplierCalibration.h"

using namespace tarvola;
using namespace tarvola::test;
using namespace std::chrono_literals;

namespace {

class CalibrationPage : public SimLink {
protected:
    SteadyClock::time_point now = SteadyClock::now();
    std::unique_ptr<CMultiplierCalibration> page;

    void open(sim::SimOptions options = {})
    {
        options.warm = true;
        start(options, failFast(14, 100));
        page = std::make_unique<CMultiplierCalibration>(*device, [this] { return now; });
        CMultiplierCalibration::setPetrolMapLocked(false);
    }
    void TearDown() override
    {
        CMultiplierCalibration::setPetrolMapLocked(false);
        page.reset();
        SimLink::TearDown();
    }
    std::vector<std::uint8_t> setupTimes() const { return sim->settingsBlock(sim::Block::SetupTimes); }
};

} // namespace

// The engine fills the petrol map at idle, then the gas map; the page sorts both into clouds, and
// "Oblicz nastawy" writes the line they propose. A write that fails is retried once by the line timer.
TEST_F(CalibrationPage, ReadsBothMapsComputesTheLineAndWritesIt)
{
    open();
    const auto cloudOf = [&](bool gas) {
        return eventually([&] { return page->readMaps() && !(gas ? page->maps().gasCloud() : page->maps().petrolCloud()).empty(); },
                          50ms);
    };
    ASSERT_TRUE(cloudOf(false));
    sim->setWorkMode(3);
    ASSERT_TRUE(cloudOf(true));

    const MultiplierLine expected = applyProposal(page->line(), page->proposal());
    ASSERT_NE(expected, page->line());
    sim->clearReceived();
    sim->dropNext(quickTiming().attempts); // every attempt of the write goes unanswered
    prompt.answer = false;                 // keep the gas map
    EXPECT_FALSE(page->createLine());
    EXPECT_EQ(page->line(), expected);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_NE(prompt.messages[0].find("Czy chcesz skasować mapę gazową?"), std::string::npos);
    EXPECT_TRUE(page->lineWriteTimer().running());
    now += 1500ms;
    sim->clearReceived();
    EXPECT_TRUE(page->tick());
    const auto block = setupTimes();
    for (std::size_t j = 0; j < kSetupTimesCount; ++j)
        EXPECT_EQ(block[j], static_cast<std::uint8_t>(expected[j] + 100)) << j;
    EXPECT_EQ(count(7), 1);
    EXPECT_EQ(count(2, 29), 0);

    // Yes erases the gas map and reads both maps again.
    sim->clearReceived();
    prompt.answer = true;
    EXPECT_TRUE(page->createLine());
    EXPECT_EQ(count(7), 1);
    EXPECT_EQ(count(2, 29), 1);
    EXPECT_EQ(count(2, 30), 1);
    EXPECT_EQ(count(2, 31), 1);
}

TEST_F(CalibrationPage, PetrolMapLockBusyFlagAndAFailedEraseRefuseTheCommands)
{
    open();
    CMultiplierCalibration::setPetrolMapLocked(true);
    page->clearPetrolMap();
    EXPECT_TRUE(frames().empty()) << "the lock allows no exchange at all";
    page->clearGasMap();  // the lock protects only the petrol map
    EXPECT_EQ(count(2, 29), 1);

    CMultiplierCalibration::setPetrolMapLocked(false);
    sim->clearReceived();
    page->clearPetrolMap();
    EXPECT_EQ(count(2, 28), 1);
    EXPECT_EQ(count(2, 30), 1);  // read again after erasing

    sim->clearReceived();
    page->setBusy(true);
    page->clearPetrolMap();
    page->clearGasMap();
    page->clearLine();
    EXPECT_FALSE(page->createLine());
    EXPECT_TRUE(frames().empty());
    EXPECT_TRUE(prompt.messages.empty());

    page->setBusy(false);
    sim->ignoreControlRequest(28);
    page->clearPetrolMap();
    EXPECT_EQ(prompt.messages, std::vector<std::string>{"Nie powiodło się ustawienie urządzenia!"});
}

TEST_F(CalibrationPage, LiveSamplesMoveTheLivePointEveryThirdSample)
{
    open();
    const CDiag sample = poll();
    page->onLiveSample(sample);
    page->onLiveSample(sample);
    EXPECT_FALSE(page->livePoint());
    EXPECT_NE(page->livePetrolText().find(" ms"), std::string::npos);
    page->onLiveSample(sample);
    ASSERT_TRUE(page->livePoint());
    EXPECT_NEAR(page->livePoint()->timeMs, cylinderTimes(sample, 0).petrolMs, 1e-9);
    EXPECT_GT(page->livePoint()->pressure, 20);
    EXPECT_LT(page->livePoint()->pressure, 60);

    // Without a controller the page ignores samples and the chart.
    device->setConnected(false);
    page->onCorrChanged(0, 1.2);
    EXPECT_EQ(page->line()[0], 0);
}
