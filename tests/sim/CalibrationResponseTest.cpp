// How the engine answers the tool's autocalibration passes for gas injectors of any flow and dead
// time, played on the model alone at made-up time points: settle and measure from encoded live
// samples as the tool reads them, the trim clamp that bounds one measured difference, and the
// main correction converging in one step within it. (The whole run against the virtual
// controller, with its preparation, steady measurements and pressure, is an end-to-end test.)
#include <gtest/gtest.h>

#include <cmath>

#include "EngineModel.h"
#include "LiveSample.h"
#include "SimTestSupport.h"

using namespace tarvola::sim;
using tarvola::sim::test::ms;

namespace {

double round2(double v) { return std::round(v * 100.0) / 100.0; }

// The tool's side of the calibration passes, which run without an emulator delay, with one live
// sample every 100 ms.
struct CalibrationBench {
    ControllerMemory memory;
    PointMapPair maps;
    Clock::time_point t = Clock::time_point(std::chrono::hours(2));
    EngineModel engine{4, 11, t, StartMode::Petrol, Warmth::Warm};

    CalibrationBench() {
        Bytes base = memory.block(Block::Base);
        base[20] = 0;
        memory.setBlock(Block::Base, base);
    }
    void setMainCorrection(double c) {
        Bytes corr(16, 0);
        for (std::size_t i = 0; i < 8; ++i) putBE16(&corr[2 * i], static_cast<std::uint16_t>(std::lround(c / 0.004)));
        memory.setBlock(Block::MainCorr, corr);
    }
    // After 50 polls to settle, the mean over 40 polls of the running cylinders' petrol times, each
    // the larger of its two words, to 0.01 ms.
    double measurePetrol() {
        double sum = 0;
        int cylinders = 0;
        for (int i = 0; i < 50 + 40; ++i) {
            t += ms(100);
            engine.advanceTo(t, memory, maps);
            if (i < 50) continue;
            const Bytes s = encodeLiveSample(engine.snapshot(), memory);
            for (std::size_t k = 0; k < 8; k += 2)
                if (const double p = round2(std::max(getBE16(&s[18 + 4 * k]), getBE16(&s[22 + 4 * k])) * 0.025); p > 0.2) {
                    sum += p;
                    ++cylinders;
                }
        }
        return cylinders ? round2(sum / cylinders) : 0.0;
    }
    // One pass: petrol, then gas; returns G − P.
    double pass() {
        engine.requestPetrol(t, memory);
        const double p = measurePetrol();
        engine.requestGas(t, memory);
        return measurePetrol() - p;
    }
};

double idleNeedMs() { return 0.8 + 0.063 * 35; }

}  // namespace

TEST(CalibrationResponse, GasInjectorsSetTheDifferenceAndOneStepConvergesWithinTheTrimClamp) {
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
        const double d = b.pass();
        EXPECT_NEAR(d, k.expectD, 0.04) << "flow " << k.flow << ", dead " << k.deadMs;
        if (std::abs(k.expectD) < clamp) {
            // Within the trim's reach, adding d to the correction lands on the right one at once.
            b.setMainCorrection(1.0 + d);
            EXPECT_NEAR(b.pass(), 0.0, 0.04) << "flow " << k.flow << ", dead " << k.deadMs << " after one step";
        }
    }
}
