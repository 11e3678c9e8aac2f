#pragma once
// The autocalibration: sets the main constant-time correction from the difference between the petrol
// injection times the car's own computer asks for on gas and on petrol, at idle. It switches the car
// between the fuels, waits, lets the live samples settle, measures, writes the correction and the
// pressure references, and talks to the fitter through the device's prompt.
//
// It runs on the thread that calls start() (the GUI's thread, which it keeps alive by pumping events
// in every wait) and needs the live polling running. stop() — the page's button pressed again, from
// within a pumped event, or a signal handler of the command line — clears the busy flag; the run then
// ends at its next wait. Every way out leaves the car on petrol (or, after success, in automatic
// mode), the emulator delay as it was, the busy flag clear, the progress at 0 and the tabs enabled.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "calibration/CMultiplierCalibration.h"
#include "calibration/ICalibrationView.h"
#include "platform/Clock.h"

namespace tarvola {

struct AutoCalibrationTiming {
    std::uint32_t waitStepMs = 100;     // the switch waits go in steps of this
    std::uint32_t settleSleepMs = 50;   // the settle loop sleeps this long per turn
    // Length of the "seconds" of the switch waits (injector count × emulator delay). Only tests with
    // an engine that runs faster than real time shorten it.
    std::uint32_t msPerSecond = 1000;
    // A settle that sees no new sample for this long, or sees the polling stopped, fails: the
    // controller has stopped answering.
    std::uint32_t sampleSilenceMs = 5000;

    static AutoCalibrationTiming standard() { return {}; }
};

enum class CalibrationOutcome {
    NotStarted,  // not connected, already running, no live samples or a cold reducer
    Succeeded,
    Failed,      // a failure path ended the run (its message was shown)
    Stopped,     // the fitter stopped it
};

struct CalibrationResult {
    CalibrationOutcome outcome = CalibrationOutcome::NotStarted;
    double correctionMs = 0;      // the main correction the run ended with
    double pressureKPa = 0;       // the measured gas pressure, once step 3 ran
    std::vector<CalibrationPass> passes;
    std::string failure;          // the (first) message of a failure, untranslated; empty otherwise
    bool engineStopped = false;   // the engine stopped while the samples settled (no message then)
};

class CAutoCalibration {
public:
    static constexpr double kMinReducerCelsius = 50.0;
    static constexpr double kRunningMs = 0.2;
    static constexpr int kMeasureSamples = 40;
    static constexpr int kMinSettleSamples = 50;
    static constexpr int kDemoSettleSamples = 5;
    static constexpr int kPasses = 3;
    static constexpr double kSwitchDelaySeconds = 1.5;
    static constexpr double kLowestCorrection = kMainCorrLowestMs;
    static constexpr double kHighestCorrection = kMainCorrHighestMs;
    static constexpr double kRecommendedLow = 0.5;
    static constexpr double kRecommendedHigh = 2.5;
    static constexpr double kRejectionLimit = 10.0;

    using SleepFn = std::function<void(std::uint32_t ms)>;

    // `clock` and `sleep` are where the run reads the time and waits; tests may hand in their own.
    explicit CAutoCalibration(CMultiplierCalibration& page,
                              AutoCalibrationTiming timing = AutoCalibrationTiming::standard(),
                              ClockFn clock = [] { return SteadyClock::now(); }, SleepFn sleep = sleepMs);

    // The page's button: starts a run when none runs (returning when it ends), else stops the run.
    void onButton();
    // Runs the whole autocalibration: checks, the restore question, the procedure.
    CalibrationResult start();
    // Clears the busy flag: the running procedure ends at its next wait, without a message.
    void stop();
    bool running() const { return m_page.busy(); }
    const CalibrationResult& lastResult() const { return m_result; }

    // The settle count of a run: trunc(delay × 2.5 × injectors / 4), at least 50; 5 in demo mode.
    static int settleCount(double emulatorDelaySeconds, int injectors, bool demo);
    // Step 7's selection: the differences whose relative deviation from their mean stays below 10.
    static std::vector<double> keptDifferences(const std::vector<double>& differences);

private:
    struct Failure {
        std::string shown;  // translated text of the message box; empty: no message
        std::string key;    // the untranslated first text, for the result
    };
    struct Stopped {};

    bool checksPass();
    void offerRestore();
    void procedure();
    void finishSuccess();
    void failurePath(const Failure& failure, bool stoppedByUser);

    static Failure failure(const char* message);
    // Requests that end the run with `message` when they fail.
    void require(bool ok, const char* message);
    void waitSwitch();
    void waitMs(std::int64_t ms);
    void settle(int samples, bool measuring);
    struct Measurement {
        double petrolMs = 0;
        double gasPressureKPa = 0;
    };
    Measurement measure();
    void setAllCorrections(double c);
    void writeCorrections();
    void setProgress(int percent);
    bool engineRunning(const CDiag& sample) const;
    int cylinders() const;

    CMultiplierCalibration& m_page;
    CLPGDevice& m_device;
    AutoCalibrationTiming m_timing;
    ClockFn m_clock;
    SleepFn m_sleep;
    CalibrationResult m_result;
    int m_settle = kMinSettleSamples;
    std::int64_t m_samplesSeen = 0;
    int m_progress = -1;
    double m_runDelay = 0;        // the emulator delay before the run, restored on failure
    double m_procedureDelay = 0;  // the delay read back in step 2, given back on success
};

} // namespace tarvola
