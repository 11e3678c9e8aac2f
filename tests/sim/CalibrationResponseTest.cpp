// How the engine answers the tool's autocalibration, played on the model alone at made-up time
// points: settle and measure from encoded live samples as the tool reads them, the steadiness of
// repeated measurements, and the trim clamp that bounds one measured difference. (The whole run
// against the virtual controller is an end-to-end test.)
#include <gtest/gtest.h>

#include <cmath>

#include "Conversions.h"
#include "EngineModel.h"
#include "LiveSample.h"
#include "SimTestSupport.h"

using namespace tarvola::sim;
using tarvola::sim::test::ms;

namespace {

double round2(double v) { return std::round(v * 100.0) / 100.0; }

struct Measurement {
    double petrolMs = 0;
    double gasKPa = 0;
};

// The tool's side of the calibration, with one live sample every 100 ms.
struct CalibrationBench {
    ControllerMemory memory;
    PointMapPair maps;
    Clock::time_point t = Clock::time_point(std::chrono::hours(2));
    EngineModel engine{4, 11, t, StartMode::Petrol, Warmth::Warm};

    Bytes poll() {
        t += ms(100);
        engine.advanceTo(t, memory, maps);
        return encodeLiveSample(engine.snapshot(), memory);
    }
    // Each cylinder's petrol time: the larger of its two words, rounded to 0.01 ms.
    static double cylinderPetrol(const Bytes& s, int cylinder) {
        const auto k = static_cast<std::size_t>(2 * cylinder);
        const std::uint16_t w = std::max(getBE16(&s[18 + 4 * k]), getBE16(&s[18 + 4 * (k + 1)]));
        return round2(w * 0.025);
    }
    static bool engineRunning(const Bytes& s) {
        for (int i = 0; i < 4; ++i)
            if (cylinderPetrol(s, i) > 0.2) return true;
        return false;
    }
    void wait(double seconds) {
        t += std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
        engine.advanceTo(t, memory, maps);
    }
    // Seconds the tool waits after a switch: trunc(injectors × emulator delay).
    void waitForSwitch() { wait(std::trunc(4 * memory.emulatorDelaySeconds())); }
    void setBaseByte(std::size_t i, std::uint8_t v) {
        Bytes base = memory.block(Block::Base);
        base[i] = v;
        memory.setBlock(Block::Base, base);
    }
    void setEmulatorDelay(double seconds) { setBaseByte(20, static_cast<std::uint8_t>(std::lround(seconds / 0.025))); }
    void setMainCorrection(double c) {
        Bytes corr(16, 0);
        for (std::size_t i = 0; i < 8; ++i) putBE16(&corr[2 * i], static_cast<std::uint16_t>(std::lround(c / 0.004)));
        memory.setBlock(Block::MainCorr, corr);
    }
    bool settle(int n) {
        for (int i = 0; i < n; ++i)
            if (!engineRunning(poll())) return false;
        return true;
    }
    Measurement measure() {
        double petrol = 0;
        double kPa = 0;
        int cylinders = 0;
        for (int i = 0; i < 40; ++i) {
            const Bytes s = poll();
            for (int c = 0; c < 4; ++c)
                if (const double p = cylinderPetrol(s, c); p > 0.2) {
                    petrol += p;
                    ++cylinders;
                }
            kPa += pressureFromCode(s[8]);
        }
        return {cylinders ? round2(petrol / cylinders) : 0.0, std::round(kPa / 40)};
    }
    Measurement settleAndMeasure() {
        EXPECT_TRUE(settle(50)) << "the engine stopped during a settle";
        return measure();
    }
    // One pass: petrol, then gas; returns G − P.
    double pass() {
        engine.requestPetrol(t, memory);
        waitForSwitch();
        const double p = settleAndMeasure().petrolMs;
        engine.requestGas(t, memory);
        waitForSwitch();
        const double g = settleAndMeasure().petrolMs;
        return g - p;
    }
    // Steps 2 to 4 of the run: the first switches with a 1.5 s emulator delay, the gas pressure
    // taken as the new pressure reference, then a delay of 0 for the passes.
    double prepare() {
        engine.requestPetrol(t, memory);
        waitForSwitch();
        setEmulatorDelay(1.5);
        engine.requestGas(t, memory);
        waitForSwitch();
        const double p = settleAndMeasure().gasKPa;
        setBaseByte(13, pressureCode(p));  // the pressure reference
        engine.requestPetrol(t, memory);
        waitForSwitch();
        setEmulatorDelay(0);
        return p;
    }
};

double idleNeedMs() { return 0.8 + 0.063 * 35; }

}  // namespace

TEST(CalibrationResponse, BackToBackMeasurementsAgreeOnPetrolGasAndPressure) {
    CalibrationBench b;
    b.prepare();
    for (const bool gas : {false, true}) {
        if (gas) b.engine.requestGas(b.t, b.memory);
        const Measurement first = b.settleAndMeasure();
        const Measurement second = b.measure();
        const Measurement third = b.settleAndMeasure();
        EXPECT_LT(std::abs(first.petrolMs - second.petrolMs), 0.03) << (gas ? "gas" : "petrol");
        EXPECT_LT(std::abs(first.petrolMs - third.petrolMs), 0.03) << (gas ? "gas" : "petrol");
        EXPECT_LE(std::abs(first.gasKPa - second.gasKPa), 1.0);
        EXPECT_NEAR(first.gasKPa, b.memory.workingPressureKPa(), 1.0);
    }
}

TEST(CalibrationResponse, GasInjectorsSetTheDifferenceWithinTheTrimClamp) {
    struct Case {
        double flow, deadMs;
        double expectD;  // from c = 1.00
    };
    const double n = idleNeedMs();
    const double clamp = 0.3 * n;
    for (const Case& k : {Case{0.95, 1.2, n * (1 / 0.95 - 1) + 0.2}, Case{1.1, 1.5, n * (1 / 1.1 - 1) + 0.5},
                          Case{0.95, 0.3, n * (1 / 0.95 - 1) - 0.7},
                          // Further off than the car's trim reaches: d stops at ±30 % of the need.
                          Case{0.95, 4.0, clamp}, Case{2.0, 0.0, -clamp}, Case{0.2, 10.0, clamp},
                          Case{5.0, -5.0, -clamp}}) {
        CalibrationBench b;
        b.engine.setGasInjectors(k.flow, k.deadMs);
        b.prepare();
        const double d = b.pass();
        EXPECT_NEAR(d, k.expectD, 0.04) << "flow " << k.flow << ", dead " << k.deadMs;
        EXPECT_LE(std::abs(d), clamp + 0.03);
    }
}
