// Engine, petrol computer and gas injection model of the virtual controller.
#include "EngineModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Conversions.h"
#include "FuelMap.h"

namespace tarvola::sim {
namespace {

constexpr double kDt = 0.010;  // seconds per step; must match EngineModel::kStep
constexpr double kAmbient = 20.0;
constexpr double kColdMorning = 15.0;
constexpr double kReducerWarm = 70.0;
constexpr double kGasWarm = 40.0;
constexpr double kCoolantWarm = 90.0;

// Warm-up time constants (seconds of running). The reducer is heated by the coolant; from a cold
// start the coolant itself is slow, so the reducer is too.
constexpr double kReducerTau = 60.0;
constexpr double kGasTau = 90.0;
constexpr double kColdReducerTau = 600.0;
constexpr double kColdGasTau = 900.0;
constexpr double kCoolantTau = 120.0;
constexpr double kCoolDownTau = 600.0;

// The car's closed loop pulls its fuel trim towards a correct mixture in about half a second.
constexpr double kTrimGain = 2.0;
constexpr double kTrimMin = 0.7;
constexpr double kTrimMax = 1.3;

// Real engines never have identical cylinders.
constexpr std::array<double, 8> kCylinderOffsetMs = {0.00, -0.05, 0.03, 0.06, -0.02, 0.04, -0.04, 0.01};

// Fixed drive cycle for demonstrations and map filling: seconds, rpm, manifold kPa.
struct Segment {
    double seconds, rpm, kPa;
};
constexpr std::array<Segment, 9> kDriveCycle = {{
    {20, 800, 35}, {8, 1500, 45}, {8, 2200, 55}, {6, 3000, 75}, {6, 3800, 95},
    {5, 4500, 100}, {8, 2500, 60}, {8, 1800, 40}, {6, 1200, 30},
}};

double petrolNeedMs(double kPa) { return 0.8 + 0.063 * kPa; }

Clock::duration secondsToDuration(double s) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(std::max(0.0, s)));
}

}  // namespace

EngineModel::EngineModel(int injectors, std::uint64_t seed, Clock::time_point start, StartMode mode, Warmth warmth)
    : injectors_(std::clamp(injectors, 1, 8)),
      rng_(seed),
      start_(start),
      now_(start),
      ambientC_(warmth == Warmth::Cold ? kColdMorning : kAmbient),
      reducerTau_(warmth == Warmth::Cold ? kColdReducerTau : kReducerTau),
      gasTau_(warmth == Warmth::Cold ? kColdGasTau : kGasTau),
      reducerC_(warmth == Warmth::Warm ? kReducerWarm : ambientC_),
      gasC_(warmth == Warmth::Warm ? kGasWarm : ambientC_),
      coolantC_(warmth == Warmth::Warm ? kCoolantWarm : ambientC_) {
    switch (mode) {
    case StartMode::Petrol: forceMode(2); break;
    case StartMode::Gas: forceMode(3); break;
    case StartMode::Auto: target_ = Target::Auto; break;
    }
    for (int i = 0; i < injectors_; ++i) {
        petrol_[static_cast<std::size_t>(i)] = petrolNeedMs(kPa_) + kCylinderOffsetMs[static_cast<std::size_t>(i)];
        gas_[static_cast<std::size_t>(i)] = petrol_[static_cast<std::size_t>(i)] + 1.0;
    }
}

double EngineModel::noise() {
    return static_cast<double>(rng_() >> 11) * 0x1p-52 - 1.0;
}

void EngineModel::setTarget(double rpm, double manifoldKPa) {
    targetRpm_ = std::clamp(rpm, 300.0, 8000.0);
    targetKPa_ = std::clamp(manifoldKPa, 15.0, 110.0);
}

void EngineModel::setRunning(bool on) {
    running_ = on;
    if (!on) stopOutputs();
}

void EngineModel::stopOutputs() {
    petrol_.fill(0);
    gas_.fill(0);
    rpmNow_ = 0;
    kPaNow_ = 101;
    mixtureError_ = 0;
}

void EngineModel::setGasInjectors(double flow, double deadMs) {
    if (!std::isnan(flow)) gasFlow_ = std::clamp(flow, kMinGasFlow, kMaxGasFlow);
    if (!std::isnan(deadMs)) gasDeadMs_ = std::clamp(deadMs, kMinGasDeadMs, kMaxGasDeadMs);
}

void EngineModel::setTemperatures(double reducerCelsius, double gasCelsius) {
    reducerC_ = reducerCelsius;
    gasC_ = gasCelsius;
}

void EngineModel::advanceTo(Clock::time_point now, const ControllerMemory& memory, PointMapPair& maps) {
    // The fitter sets the reducer to the working pressure the settings name, so a changed setting
    // shows in the very next sample.
    workingKPa_ = memory.workingPressureKPa();
    if (now > now_) {
        // After a long pause (a stopped debugger, a suspended machine) the model skips ahead
        // rather than replaying hours of steps; the statistics still count the time.
        constexpr std::int64_t kMaxSteps = 60000;
        const std::int64_t steps = (now - now_) / kStep;
        if (steps > kMaxSteps) {
            const std::int64_t skipped = steps - kMaxSteps;
            if (running_) (gasMask() != 0 ? gasMs_ : petrolMs_) += static_cast<std::uint64_t>(skipped) * 10;
            now_ += skipped * kStep;
        }
        while (now_ + kStep <= now) step(memory, maps);
    }
    applyEvents(now);
}

void EngineModel::applyEvents(Clock::time_point upTo) {
    while (!events_.empty() && events_.front().at <= upTo) {
        const SwitchEvent e = events_.front();
        events_.erase(events_.begin());
        onGas_[static_cast<std::size_t>(e.cylinder)] = e.toGas;
    }
}

void EngineModel::scheduleGas(Clock::time_point from, double emulatorDelaySeconds) {
    events_.clear();
    int k = 0;
    for (int i = 0; i < injectors_; ++i) {
        if (onGas_[static_cast<std::size_t>(i)]) continue;
        ++k;
        events_.push_back({from + secondsToDuration(k * emulatorDelaySeconds), i, true});
    }
    applyEvents(from);  // an emulator delay of 0 switches every cylinder at once
}

void EngineModel::requestGas(Clock::time_point now, const ControllerMemory& memory) {
    if (target_ == Target::Gas) return;  // already switching or on gas
    target_ = Target::Gas;
    scheduleGas(now, memory.emulatorDelaySeconds());
}

void EngineModel::requestPetrol(Clock::time_point now, const ControllerMemory& memory) {
    target_ = Target::Petrol;
    events_.clear();
    std::vector<int> onGas;
    for (int i = 0; i < injectors_; ++i)
        if (onGas_[static_cast<std::size_t>(i)]) onGas.push_back(i);
    if (onGas.empty()) return;
    // Going back to petrol is the safe direction: all cylinders within half the emulator delay.
    const double each = memory.emulatorDelaySeconds() / 2.0 / static_cast<double>(onGas.size());
    for (std::size_t j = 0; j < onGas.size(); ++j)
        events_.push_back({now + secondsToDuration(static_cast<double>(j + 1) * each), onGas[j], false});
    applyEvents(now);
}

void EngineModel::requestAuto(Clock::time_point /*now*/) {
    if (target_ == Target::Gas) return;  // automatic mode keeps a warm engine on gas
    target_ = Target::Auto;
}

void EngineModel::forceMode(int mode) {
    events_.clear();
    const bool gas = mode == 3;
    target_ = gas ? Target::Gas : Target::Petrol;
    onGas_.fill(false);
    if (gas)
        for (int i = 0; i < injectors_; ++i) onGas_[static_cast<std::size_t>(i)] = true;
}

int EngineModel::workMode() const {
    if (neverPetrol_) return 3;
    if (target_ == Target::Gas) return 3;
    return std::any_of(onGas_.begin(), onGas_.end(), [](bool g) { return g; }) ? 3 : 2;
}

std::uint8_t EngineModel::gasMask() const {
    std::uint8_t m = 0;
    for (int i = 0; i < injectors_; ++i)
        if (onGas_[static_cast<std::size_t>(i)]) m |= static_cast<std::uint8_t>(1u << i);
    return m & enabledMask_;
}

void EngineModel::followDriveCycle() {
    double total = 0;
    for (const Segment& s : kDriveCycle) total += s.seconds;
    double t = std::fmod(static_cast<double>(stepIndex_) * kDt, total);
    for (const Segment& s : kDriveCycle) {
        if (t < s.seconds) {
            setTarget(s.rpm, s.kPa);
            return;
        }
        t -= s.seconds;
    }
}

void EngineModel::computeInjection(const ControllerMemory& memory) {
    const double need = petrolNeedMs(kPaNow_);
    const bool halfMs = (FuelMap::flags(memory) & 0x01) != 0;
    const std::uint8_t mask = gasMask();
    double errorSum = 0;
    for (int i = 0; i < injectors_; ++i) {
        const auto u = static_cast<std::size_t>(i);
        const double needI = need + kCylinderOffsetMs[u];
        const double tp = std::max(0.0, need * trim_ + kCylinderOffsetMs[u]);
        const int bucket = std::clamp(static_cast<int>(std::floor(tp)), 0, 19);
        int row = 0;
        int column = 0;
        FuelMap::cellFor(rpmNow_, tp, halfMs, row, column);
        const double g = tp * (1.0 + memory.multiplierPercent(bucket) / 100.0) *
                             (1.0 + FuelMap::percent(memory, row, column) / 100.0) +
                         memory.mainCorrectionMs(i);
        petrol_[u] = tp;
        gas_[u] = std::max(0.0, g);
        const double delivered = (mask & (1u << i)) ? std::max(0.0, g - gasDeadMs_) * gasFlow_ : tp;
        errorSum += (delivered - needI) / needI;
    }
    mixtureError_ = errorSum / injectors_;
    trim_ = std::clamp(trim_ - kTrimGain * mixtureError_ * kDt, kTrimMin, kTrimMax);
}

void EngineModel::step(const ControllerMemory& memory, PointMapPair& maps) {
    now_ += kStep;
    ++stepIndex_;
    applyEvents(now_);
    if (driveCycle_) followDriveCycle();

    const double t = static_cast<double>(stepIndex_) * kDt;
    const double twoPi = 2.0 * std::numbers::pi;
    if (running_) {
        rpm_ += (targetRpm_ - rpm_) * kDt / 0.5;
        kPa_ += (targetKPa_ - kPa_) * kDt / 0.5;
        rpmNow_ = rpm_ + 12.0 * std::sin(twoPi * t / 3.1) + 3.0 * noise();
        kPaNow_ = kPa_ + 0.6 * std::sin(twoPi * t / 2.3) + 0.1 * noise();
        reducerC_ += (kReducerWarm - reducerC_) * kDt / reducerTau_;
        gasC_ += (kGasWarm - gasC_) * kDt / gasTau_;
        coolantC_ += (kCoolantWarm - coolantC_) * kDt / kCoolantTau;
        computeInjection(memory);
    } else {
        stopOutputs();
        reducerC_ += (ambientC_ - reducerC_) * kDt / kCoolDownTau;
        gasC_ += (ambientC_ - gasC_) * kDt / kCoolDownTau;
        coolantC_ += (ambientC_ - coolantC_) * kDt / kCoolDownTau;
    }

    // Automatic mode goes to gas once the reducer has reached the switch temperature.
    if (target_ == Target::Auto && running_ && reducerC_ >= memory.switchTemperatureCelsius()) {
        target_ = Target::Gas;
        scheduleGas(now_, memory.emulatorDelaySeconds());
    }

    if (!running_) return;
    const std::uint8_t mask = gasMask();
    (mask != 0 ? gasMs_ : petrolMs_) += 10;

    // Ten samples a second into the map of the fuel the engine runs on; none while switching.
    if (stepIndex_ % 10 != 0 || !events_.empty()) return;
    const bool absolute = memory.absoluteManifoldSensor();
    const int bin = nearestBin(manifoldCode(kPaNow_, absolute), absolute);
    // Both maps hold the petrol time the car's computer asks for: on gas it differs from the
    // time on petrol exactly as much as the gas injection misses the mixture.
    if (target_ == Target::Petrol && mask == 0)
        maps.petrol.add(bin, petrol_[0]);
    else if (target_ == Target::Gas && mask != 0)
        maps.gas.add(bin, petrol_[0]);
}

EngineSnapshot EngineModel::snapshot() const {
    const double t = static_cast<double>(stepIndex_) * kDt;
    const double twoPi = 2.0 * std::numbers::pi;
    EngineSnapshot s;
    s.running = running_;
    s.rpm = running_ ? std::max(0.0, rpmNow_) : 0.0;
    s.manifoldKPa = kPaNow_;
    s.gasPressureKPa = workingKPa_ + 1.5 * std::sin(twoPi * t / 1.7) - (gasMask() ? 0.04 * (kPaNow_ - 35.0) : 0.0);
    s.reducerCelsius = reducerC_;
    s.gasCelsius = gasC_;
    s.coolantCelsius = coolantC_;
    s.supplyVolts = running_ ? 14.1 + 0.05 * std::sin(twoPi * t / 5.0) : 12.4;
    const double bias = std::clamp(3.0 * mixtureError_, -0.3, 0.3);
    s.lambda1Volts = running_ ? std::clamp(0.5 + 0.4 * std::sin(twoPi * t / 1.2) + bias, 0.1, 0.9) : 0.0;
    s.lambda2Volts = running_ ? std::clamp(0.5 + 0.4 * std::sin(twoPi * t / 1.2 + 1.3) + bias, 0.1, 0.9) : 0.0;
    s.fuelLevel = 122;
    s.workMode = workMode();
    s.switchState = target_ == Target::Auto ? 1 : 0;
    s.gasMask = gasMask();
    s.injectors = injectors_;
    s.petrolMs = petrol_;
    s.gasMs = gas_;
    s.shortTrimPercent = (trim_ - 1.0) * 100.0;
    s.longTrimPercent = 2.3;
    return s;
}

}  // namespace tarvola::sim
