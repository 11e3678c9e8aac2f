// Engine model: switching timing cylinder by cylinder, disabled injectors, a mode stuck on gas,
// and the point maps filling while it runs.
#include <gtest/gtest.h>

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
};

}  // namespace

TEST_F(EngineTest, SwitchingTakesTheEmulatorDelayCylinderByCylinder) {
    struct Row {
        std::uint8_t delaySteps;  // emulator delay in 25 ms steps
        bool toGas;
        int afterMs;
        std::uint8_t gasMask;
        int workMode;
    };
    const Row rows[] = {
        // To gas: one delay per cylinder, reporting gas as soon as switching starts.
        {20, true, 0, 0x0, 3}, {20, true, 499, 0x0, 3}, {20, true, 500, 0x1, 3}, {20, true, 1499, 0x3, 3},
        {20, true, 2000, 0xF, 3},
        // Back to petrol: half the delay in total, one cylinder every 62.5 ms.
        {20, false, 0, 0xF, 3}, {20, false, 70, 0xE, 3}, {20, false, 249, 0x8, 3}, {20, false, 250, 0x0, 2},
        // Without a delay every cylinder switches at once.
        {0, true, 0, 0xF, 3}, {0, false, 0, 0x0, 2},
    };
    for (const Row& r : rows) {
        EngineModel e{4, 7, t0, StartMode::Petrol, Warmth::Warm};
        setEmulatorDelaySteps(r.delaySteps);
        if (!r.toGas) e.forceMode(3);
        const auto T = t0 + ms(1000);
        e.advanceTo(T, memory, maps);
        r.toGas ? e.requestGas(T, memory) : e.requestPetrol(T, memory);
        e.advanceTo(T + ms(r.afterMs), memory, maps);
        const auto row = testing::Message() << (r.toGas ? "to gas" : "to petrol") << ", delay steps "
                                            << int{r.delaySteps} << ", after " << r.afterMs << " ms";
        EXPECT_EQ(e.gasMask(), r.gasMask) << row;
        EXPECT_EQ(e.workMode(), r.workMode) << row;
        EXPECT_EQ(e.switching(), r.gasMask != (r.toGas ? 0xF : 0x0)) << row;
    }
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

TEST(EnginePointMapBins, NearestBinFollowsTheSensorType) {
    EXPECT_EQ(nearestBin(78, false), 2);   // 77 is nearer than 80
    EXPECT_EQ(nearestBin(0, false), 24);   // only bins 0..24 are used with a differential sensor
    EXPECT_EQ(nearestBin(255, true), 30);
}
