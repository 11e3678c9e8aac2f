// Engine model: switching timing cylinder by cylinder, automatic mode, point-map filling, the
// closed loop that lets a main-correction calibration converge, statistics and determinism.
#include <gtest/gtest.h>

#include <numeric>

#include "Conversions.h"
#include "EngineModel.h"
#include "LiveSample.h"
#include "SimTestSupport.h"

using namespace tarvola::sim;
using tarvola::sim::test::ms;

namespace {

struct EngineTest : ::testing::Test {
    ControllerMemory memory;
    PointMapPair maps;
    Clock::time_point t0 = Clock::time_point(std::chrono::hours(1));
    EngineModel engine{4, 7, t0, StartMode::Petrol, Warmth::Warm};

    void at(Clock::time_point t) { engine.advanceTo(t, memory, maps); }
    void setEmulatorDelaySteps(std::uint8_t steps) {
        Bytes base = memory.block(Block::Base);
        base[20] = steps;
        memory.setBlock(Block::Base, base);
    }
    // Average petrol time of cylinder 0 over a stretch of running.
    double averagePetrol(Clock::time_point from, int seconds) {
        double sum = 0;
        int n = 0;
        for (int i = 0; i < seconds * 10; ++i) {
            at(from + ms(100 * i));
            sum += engine.snapshot().petrolMs[0];
            ++n;
        }
        return sum / n;
    }
};

}  // namespace

TEST_F(EngineTest, GasSwitchTakesOneEmulatorDelayPerCylinder) {
    const auto T = t0 + ms(1000);
    at(T);
    engine.requestGas(T, memory);  // factory delay 0.5 s
    EXPECT_EQ(engine.workMode(), 3) << "reports gas as soon as switching starts";
    EXPECT_EQ(engine.gasMask(), 0);
    at(T + ms(499));
    EXPECT_EQ(engine.gasMask(), 0x0);
    at(T + ms(500));
    EXPECT_EQ(engine.gasMask(), 0x1);
    at(T + ms(1499));
    EXPECT_EQ(engine.gasMask(), 0x3);
    at(T + ms(2000));
    EXPECT_EQ(engine.gasMask(), 0xF);
    EXPECT_FALSE(engine.switching());
}

TEST_F(EngineTest, PetrolReturnTakesHalfTheEmulatorDelayInTotal) {
    engine.forceMode(3);
    const auto T = t0 + ms(1000);
    at(T);
    engine.requestPetrol(T, memory);
    EXPECT_EQ(engine.workMode(), 3);
    at(T + ms(70));
    EXPECT_EQ(engine.gasMask(), 0xE);  // one cylinder every 62.5 ms
    at(T + ms(249));
    EXPECT_EQ(engine.workMode(), 3);
    at(T + ms(250));
    EXPECT_EQ(engine.gasMask(), 0);
    EXPECT_EQ(engine.workMode(), 2);
}

TEST_F(EngineTest, ZeroEmulatorDelaySwitchesEveryCylinderAtOnce) {
    setEmulatorDelaySteps(0);
    at(t0 + ms(100));
    engine.requestGas(t0 + ms(100), memory);
    EXPECT_EQ(engine.gasMask(), 0xF);
    engine.requestPetrol(t0 + ms(100), memory);
    EXPECT_EQ(engine.workMode(), 2);
}

TEST_F(EngineTest, DisabledInjectorsStayOnPetrolAndStuckModeNeverReportsPetrol) {
    engine.setEnabledMask(0x5);
    engine.forceMode(3);
    EXPECT_EQ(engine.gasMask(), 0x5);
    engine.setNeverPetrol(true);
    engine.forceMode(2);
    EXPECT_EQ(engine.workMode(), 3);
}

TEST_F(EngineTest, PointMapsFillWithTheFuelTheEngineRunsOn) {
    at(t0 + std::chrono::seconds(10));
    const bool absolute = memory.absoluteManifoldSensor();
    const int idleBin = nearestBin(manifoldCode(35, absolute), absolute);
    EXPECT_EQ(idleBin, 4);  // code 19 at 35 kPa; bin 4 stands for trunc(4 × 156 / 72 + 11) = 19
    EXPECT_NEAR(maps.petrol.total(), 100, 2);
    EXPECT_EQ(maps.gas.total(), 0);
    int fullest = 0;
    for (int i = 0; i < PointMap::kBins; ++i)
        if (maps.petrol.count(i) > maps.petrol.count(fullest)) fullest = i;
    EXPECT_NEAR(fullest, idleBin, 1);
    EXPECT_NEAR(maps.petrol.sum(fullest) * 0.004 / maps.petrol.count(fullest), 3.0, 0.2);

    engine.requestGas(t0 + std::chrono::seconds(10), memory);
    at(t0 + ms(11900));  // still switching: nothing gathered
    EXPECT_EQ(maps.gas.total(), 0);
    at(t0 + std::chrono::seconds(17));
    EXPECT_NEAR(maps.gas.total(), 50, 2);
    EXPECT_NEAR(maps.petrol.total(), 100, 2);
}

TEST(PointMapBins, NearestBinFollowsTheSensorType) {
    EXPECT_EQ(binPressureCode(0, true), 11);
    EXPECT_EQ(binPressureCode(30, true), 76);
    EXPECT_EQ(binPressureCode(0, false), 83);
    EXPECT_EQ(binPressureCode(24, false), 11);
    EXPECT_EQ(nearestBin(78, false), 2);   // 77 is nearer than 80
    EXPECT_EQ(nearestBin(0, false), 24);   // only bins 0..24 are used with a differential sensor
    EXPECT_EQ(nearestBin(255, true), 30);
}

TEST_F(EngineTest, MainCorrectionCalibrationConverges) {
    // What the autocalibration does: compare the petrol time the car asks for on petrol and on
    // gas, and move the main correction by the difference.
    const double onPetrol = averagePetrol(t0 + std::chrono::seconds(3), 3);
    engine.forceMode(3);
    const double onGas = averagePetrol(t0 + std::chrono::seconds(10), 3);
    const double d = onGas - onPetrol;
    EXPECT_GT(d, 0.2) << "the factory correction leaves the gas mixture lean";

    Bytes corr(16, 0);
    const double c = memory.mainCorrectionMs(0) + d;
    for (std::size_t i = 0; i < 8; ++i) putBE16(&corr[2 * i], static_cast<std::uint16_t>(std::lround(c / 0.004)));
    memory.setBlock(Block::MainCorr, corr);
    const double afterCalibration = averagePetrol(t0 + std::chrono::seconds(16), 3);
    EXPECT_NEAR(afterCalibration, onPetrol, 0.03);
    EXPECT_GT(c, 0.5);
    EXPECT_LT(c, 2.5);
}

