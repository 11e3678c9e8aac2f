// The engine behind the virtual controller: idle (or a scripted drive cycle), the car's petrol
// computer with its closed-loop fuel trim, the gas injection the controller computes from its
// settings, petrol/gas switching cylinder by cylinder, warming temperatures and the running-time
// statistics. It also fills the point maps while it runs.
//
// The model moves in fixed 10 ms steps of its own clock, so its output depends only on the seed
// and on the times at which it is asked; tests drive it with made-up time points.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <random>
#include <vector>

#include "ControllerMemory.h"
#include "Frame.h"
#include "PointMaps.h"

namespace tarvola::sim {

enum class StartMode { Petrol, Gas, Auto };

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

    EngineModel(int injectors, std::uint64_t seed, Clock::time_point start, StartMode mode, bool warm);

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
    void setRunning(bool on) { running_ = on; }
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
    double reducerC_;
    double gasC_;
    double coolantC_;
    double trim_ = 1.0;  // the car's short-term fuel trim as a factor
    std::array<double, 8> petrol_{};
    std::array<double, 8> gas_{};
    double mixtureError_ = 0;

    std::uint64_t petrolMs_ = 0;
    std::uint64_t gasMs_ = 0;
};

}  // namespace tarvola::sim
