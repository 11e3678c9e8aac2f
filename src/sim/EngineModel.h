// The engine behind the virtual controller: idle (or a scripted drive cycle), the car's petrol
// computer with its closed-loop fuel trim, the gas injection the controller computes from its
// settings, petrol/gas switching cylinder by cylinder, warming temperatures and the running-time
// statistics. It also fills the point maps while it runs.
//
// The model moves in fixed 10 ms steps of its own clock, so its output depends only on the seed
// and on the times at which it is asked; tests drive it with made-up time points. Whoever owns it
// may run that clock faster than the wall clock (Controller does for the time scale); everything
// below is in the model's own time.
//
// How it answers a calibration. The engine needs N = 0.8 + 0.063 × kPa ms of petrol per cylinder
// (3.0 ms at the 35 kPa idle, plus a small fixed offset per cylinder). The car's computer asks for
// tp = N × f, where f is its short trim: it moves at 2 per second against the relative mixture
// error of all cylinders and is held within 0.7…1.3, as in a real car. On petrol the injector
// gives exactly tp, so f settles at 1. On gas the controller injects
//     g = tp × (1 + line[floor(tp)] / 100) × (1 + cell / 100) + c
// (c the cylinder's main correction, line the multiplier line by whole milliseconds, cell the
// fuel-map cell for rpm and tp), and the gas injector delivers (g − dead) × flow worth of petrol
// (dead 1.2 ms, flow 0.95 by default; setGasInjectors changes them). The trim therefore settles
// where that equals N, and the petrol time measured on gas minus the one on petrol is, with a
// flat line and map,
//     d = N × (1 / flow − 1) + dead − c,
// so adding d to c converges in one step on c* = dead + N × (1 / flow − 1): 1.36 ms at idle with
// the default injectors (d = +0.36 ms from the factory 1.00 ms). Because the trim is clamped, one
// measured d is at most ±30 % of the petrol need (about ±0.9 ms at idle); injectors further off
// than that show only the clamp, and a calibration reaches c* over several runs or not at all.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <random>
#include <vector>

#include "ControllerMemory.h"
#include "Frame.h"
#include "PointMaps.h"
#include "SimOptions.h"

namespace tarvola::sim {

enum class StartMode { Petrol, Gas, Auto };

// Temperatures at power-on. Ambient: 20 °C, the reducer reaches 50 °C after about 55 s of running.
// Cold: a cold morning at 15 °C; the reducer warms as 70 − 55 × e^(−t / 600 s) and the gas as
// 40 − 25 × e^(−t / 900 s), t the running time, so the reducer stays below 50 °C for the first
// 10 minutes (36.6 °C after 5). Warm: reducer 70 °C, gas 40 °C, coolant 90 °C at once.
enum class Warmth { Ambient, Cold, Warm };

// What the engine looks like at one moment; the live sample and the OBD car are built from it.
struct EngineSnapshot {
    bool running = true;
    double rpm = 0;
    double manifoldKPa = 0;
    double gasPressureKPa = 0;  // above manifold
    double reducerCelsius = 0;
    double gasCelsius = 0;
    double coolantCelsius = 0;
    double supplyVolts = 0;
    double lambda1Volts = 0;
    double lambda2Volts = 0;
    std::uint8_t fuelLevel = 0;
    int workMode = 2;              // 2 petrol, 3 gas
    std::uint8_t switchState = 0;  // 1 while automatic mode waits to go to gas
    std::uint8_t gasMask = 0;      // cylinders running on gas
    int injectors = 4;
    std::array<double, 8> petrolMs{};  // what the car's computer asks, per cylinder
    std::array<double, 8> gasMs{};     // what the controller injects (or would), per cylinder
    double shortTrimPercent = 0;
    double longTrimPercent = 0;
};

struct PointMapPair {
    PointMap petrol;
    PointMap gas;
};

class EngineModel {
public:
    static constexpr std::chrono::milliseconds kStep{10};

    EngineModel(int injectors, std::uint64_t seed, Clock::time_point start, StartMode mode, Warmth warmth);

    // Runs the model up to `now` (a time before the model's own clock changes nothing),
    // reading the controller's settings and adding samples to the point maps.
    void advanceTo(Clock::time_point now, const ControllerMemory& memory, PointMapPair& maps);

    // Switch requests take effect from `now`; call advanceTo(now) first.
    void requestGas(Clock::time_point now, const ControllerMemory& memory);
    void requestPetrol(Clock::time_point now, const ControllerMemory& memory);
    void requestAuto(Clock::time_point now);
    void forceMode(int mode);  // 2: every cylinder on petrol at once; 3: on gas at once

    void setEnabledMask(std::uint8_t mask) { enabledMask_ = mask; }
    std::uint8_t enabledMask() const { return enabledMask_; }
    void setNeverPetrol(bool on) { neverPetrol_ = on; }
    // A stopped engine asks for no petrol (every cylinder 0 ms from this moment) and turns at 0 rpm;
    // starting it again brings back idle from the next step.
    void setRunning(bool on);
    bool running() const { return running_; }
    // Relative flow and opening dead time (ms) of the gas injectors, clamped to their option ranges
    // (a value that is not a number leaves that one unchanged). Takes effect from the next step.
    void setGasInjectors(double flow, double deadMs);
    double gasFlow() const { return gasFlow_; }
    double gasDeadMs() const { return gasDeadMs_; }
    // Operating point the engine moves towards (idle is 800 rpm at 35 kPa).
    void setTarget(double rpm, double manifoldKPa);
    void setDriveCycle(bool on) { driveCycle_ = on; }
    void setTemperatures(double reducerCelsius, double gasCelsius);

    EngineSnapshot snapshot() const;
    int workMode() const;
    std::uint8_t gasMask() const;
    bool switching() const { return !events_.empty(); }

    std::uint64_t petrolMilliseconds() const { return petrolMs_; }
    std::uint64_t gasMilliseconds() const { return gasMs_; }

private:
    struct SwitchEvent {
        Clock::time_point at;
        int cylinder;
        bool toGas;
    };
    enum class Target { Petrol, Gas, Auto };

    void step(const ControllerMemory& memory, PointMapPair& maps);
    void applyEvents(Clock::time_point upTo);
    void stopOutputs();  // what a stopped engine shows: no petrol, no gas, 0 rpm, atmospheric manifold
    void scheduleGas(Clock::time_point from, double emulatorDelaySeconds);
    void computeInjection(const ControllerMemory& memory);
    void followDriveCycle();
    double noise();  // uniform in [-1, 1)

    int injectors_;
    std::mt19937_64 rng_;
    Clock::time_point start_;
    Clock::time_point now_;
    std::uint64_t stepIndex_ = 0;

    Target target_ = Target::Petrol;
    std::array<bool, 8> onGas_{};
    std::vector<SwitchEvent> events_;
    std::uint8_t enabledMask_ = 0xFF;
    bool neverPetrol_ = false;
    bool running_ = true;
    bool driveCycle_ = false;

    double targetRpm_ = 800;
    double targetKPa_ = 35;
    double rpm_ = 800;    // settled speed, without the idle wobble
    double kPa_ = 35;
    double rpmNow_ = 800;  // speed and manifold pressure of this step, wobble included
    double kPaNow_ = 35;
    double workingKPa_ = 100;  // the reducer's pressure as the settings say it is set
    double ambientC_;
    double reducerTau_;  // seconds of the reducer's warm-up towards its running temperature
    double gasTau_;
    double reducerC_;
    double gasC_;
    double coolantC_;
    double gasFlow_ = kDefaultGasFlow;
    double gasDeadMs_ = kDefaultGasDeadMs;
    double trim_ = 1.0;  // the car's short-term fuel trim as a factor
    std::array<double, 8> petrol_{};
    std::array<double, 8> gas_{};
    double mixtureError_ = 0;

    std::uint64_t petrolMs_ = 0;
    std::uint64_t gasMs_ = 0;
};

}  // namespace tarvola::sim
