// The autocalibration against the virtual controller. The switches, reads and writes go over the
// pseudo-terminal; the live samples are scripted (each wait of the procedure delivers one sample whose
// petrol times the test chooses for petrol and for gas), so every measured difference, limit and
// rejection is exact. One run at the end lets the simulated engine answer for itself.

#include <gtest/gtest.h>

#include <cmath>

#include "SimFixture.h"
#include "calibration/CAutoCalibration.h"
#include "monitor/DiagValues.h"
#include "settings/BlockCodecs.h"

using namespace tarvola;
using namespace tarvola::test;

namespace {

constexpr const char* kAtIdle = "Kalibracja powinna być przeprowadzona na wolnych obrotach.";

struct RecordingView : ICalibrationView {
    std::vector<int> progress;
    std::vector<bool> tabs, busy;
    std::function<void(const CalibrationPass&)> afterPass;
    void progressChanged(int p) override { progress.push_back(p); }
    void tabsEnabled(bool on) override { tabs.push_back(on); }
    void busyChanged(bool b) override { busy.push_back(b); }
    void passMeasured(const CalibrationPass& p) override
    {
        if (afterPass)
            afterPass(p);
    }
};

// A calibration page and its autocalibration on a device linked to the virtual controller.
class CalibrationLink : public SimLink {
protected:
    std::unique_ptr<CMultiplierCalibration> page;
    std::unique_ptr<CAutoCalibration> run;
    RecordingView view;

    void makeRun(std::uint32_t waitStepMs, std::uint32_t settleSleepMs, std::uint32_t msPerSecond)
    {
        page = std::make_unique<CMultiplierCalibration>(*device);
        page->setView(&view);
        AutoCalibrationTiming timing;
        timing.waitStepMs = waitStepMs;
        timing.settleSleepMs = settleSleepMs;
        timing.msPerSecond = msPerSecond;
        run = std::make_unique<CAutoCalibration>(*page, timing);
    }
    // Live polling on, and its first sample in.
    void startPolling()
    {
        ASSERT_TRUE(device->startDiagnostics());
        CDiag s;
        ASSERT_TRUE(eventually([&] { return device->diagData().newest(s); }));
    }
    void TearDown() override
    {
        run.reset();
        page.reset();
        if (device)
            device->stopDiagnostics();
        SimLink::TearDown();
    }
};

class AutoCalibrationRun : public CalibrationLink {
protected:
    CDiag pattern;
    double petrolMs = 3.0;  // petrol time the car asks for while on petrol
    double gasMs = 3.0;     // ... and while on gas
    bool engineOn = true;
    bool samplesStopped = false;  // the live polling has given up
    int clears = 0;         // how often the procedure emptied the sample buffer
    std::function<void()> extraPump;
    double originalDelay = 0;

    void open()
    {
        sim::SimOptions options;
        options.warm = true;
        start(options);
        pattern = poll();
        originalDelay = device->m_settings.m_base.m_emulatorDelay;
        makeRun(1, 1, 10);
    }
    CDiag sample() const
    {
        CDiag s = pattern;
        const double ms = sim->workMode() == ModeGas ? gasMs : petrolMs;
        const auto word = static_cast<std::uint16_t>(engineOn ? std::lround(ms / 0.025) : 0);
        for (int e = 0; e < diag::Entries; ++e) {
            s.m_bytes[diag::petrolTime(e)] = static_cast<std::uint8_t>(word & 0xFF);
            s.m_bytes[diag::petrolTime(e) + 1] = static_cast<std::uint8_t>(word >> 8);
        }
        return s;
    }
    // Every wait of the procedure delivers one sample.
    void script()
    {
        device->diagData().append(sample());
        prompt.onPump = [this] {
            if (device->diagData().count() == 0)
                ++clears;
            if (extraPump)
                extraPump();
            if (!samplesStopped)
                device->diagData().append(sample());
        };
    }
    void setStartCorrection(double c)
    {
        device->m_settings.m_mainCorr.m_mainCorr.fill(c);
        ASSERT_TRUE(device->writeSettings(SettingsBlock::MainCorr));
    }
    // The controller's own blocks, read back over the line.
    CDeviceSettings controller()
    {
        std::array<std::uint8_t, 64> block{};
        CDeviceSettings s;
        EXPECT_TRUE(device->readSettingsBlock(SettingsBlock::MainCorr, block) && decodeMainCorr(std::span(block).first(16), s));
        EXPECT_TRUE(device->readSettingsBlock(SettingsBlock::Base, block) && decodeBase(std::span(block).first(28), s));
        return s;
    }
    void expectCorrections(double ms)
    {
        for (double c : controller().m_mainCorr.m_mainCorr)
            EXPECT_NEAR(c, ms, 1e-9);
    }
    // What every way out of a run leaves behind.
    void expectCleanEnd(bool onPetrol = true)
    {
        EXPECT_FALSE(run->running());
        ASSERT_FALSE(view.progress.empty() || view.tabs.empty() || view.busy.empty());
        EXPECT_EQ(view.progress.back(), 0);
        EXPECT_TRUE(view.tabs.back());
        EXPECT_FALSE(view.busy.back());
        if (onPetrol) {  // the last cylinders leave gas after half the delay
            EXPECT_TRUE(eventually([&] { return sim->workMode() == ModePetrol; })) << sim->workMode();
        }
        EXPECT_NEAR(controller().m_base.m_emulatorDelay, originalDelay, 1e-9);
    }
    bool said(const std::string& text) const
    {
        return std::any_of(prompt.messages.begin(), prompt.messages.end(),
                           [&](const std::string& m) { return m.find(text) != std::string::npos; });
    }
};

} // namespace

// Pass 0 adds the measured difference (gas minus petrol time) to the 1.00 ms the run starts from;
// the three passes after it add the mean of the differences they keep. Outside 0.5…2.5 ms the fitter
// is told which injectors to fit, and a negative correction reaches the controller as such.
TEST_F(AutoCalibrationRun, ThePassesMeasureTheCorrectionAndTheGasPressure)
{
    open();
    struct Case {
        double petrolMs, gasMs, afterFirstPass, correction;
        const char* warning;
    };
    const Case cases[] = {
        {2.10, 3.40, 2.30, 3.60, nullptr},
        {3.00, 2.40, 0.40, -0.20,
         "Zalecana jest zmiana wtryskiwaczy na mniejsze.\nPoliczona korekta: 0.4 ms nie mieści się w zalecanym "
         "zakresie od 0.5ms do 2.5ms."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gasMs);
        setStartCorrection(1.0);
        petrolMs = c.petrolMs;
        gasMs = c.gasMs;
        std::array<double, 8> afterFirstPass{};
        view.afterPass = [&](const CalibrationPass& p) {
            if (p.index == 1)
                afterFirstPass = controller().m_mainCorr.m_mainCorr;
        };
        prompt.answer = false;  // keep the gas map
        prompt.messages.clear();
        script();
        const CalibrationResult result = run->start();
        ASSERT_EQ(result.outcome, CalibrationOutcome::Succeeded) << result.failure;
        for (double v : afterFirstPass)
            EXPECT_NEAR(v, c.afterFirstPass, 1e-9);
        ASSERT_EQ(result.passes.size(), 3u);
        EXPECT_NEAR(result.passes[0].differenceMs, c.gasMs - c.petrolMs, 1e-9);
        expectCorrections(c.correction);
        EXPECT_NEAR(result.correctionMs, c.correction, 1e-9);
        if (c.warning) {
            EXPECT_TRUE(said(c.warning)) << ::testing::PrintToString(prompt.messages);
        } else {
            EXPECT_EQ(prompt.messages, (std::vector<std::string>{
                                           kAtIdle, "Autokalibracja zakończona",
                                           std::string(CMultiplierCalibration::kEraseGasMapQuestion),
                                           "Uwaga!\nJeśli mapa benzynowa nie została jeszcze zebrana w pełnym zakresie "
                                           "czasów wtrysku\n skasuj ją używając przycisku 'Skasuj mapę benzynową'"}));
        }

        // The gas pressure became the pressure references; the emulator delay is back.
        const CDeviceSettings s = controller();
        const double p = diagValues(pattern, contextFrom(device->m_settings)).gasPressureKPa;
        EXPECT_NEAR(result.pressureKPa, std::round(p), 1e-9);
        EXPECT_NEAR(s.m_base.m_pressureRef, result.pressureKPa, 1.0);
        EXPECT_NEAR(s.m_base.m_switchPressure, std::round(0.6 * result.pressureKPa), 1.0);
        EXPECT_NEAR(s.m_base.m_pressureGain, 1.0, 1e-9);
        EXPECT_NEAR(device->m_settings.m_carInfo.m_reductorPress, result.pressureKPa, 1e-9);
        EXPECT_EQ(view.progress[view.progress.size() - 2], 99);
        expectCleanEnd(false);
    }
}

// Every way a run fails ends the same: tabs back, busy clear, the car on petrol and the controller's
// emulator delay as it was; the corrections keep what the controller had when the run stopped.
TEST_F(AutoCalibrationRun, EveryFailureLeavesTheCarOnPetrolWithTheDelayRestored)
{
    open();
    int pumps = 0;
    struct Case {
        const char* name;
        double startCorrection, gasMs;  // petrol 3.00 ms
        std::function<void()> arm;      // what goes wrong, and when
        CalibrationOutcome outcome;
        const char* said;               // in some message; nullptr: the idle reminder alone
        double correctionAfter;
        bool engineStopped = false;
    };
    const Case cases[] = {
        {"above six", 5.5, 3.60, {}, CalibrationOutcome::Failed,
         "Należy zmienić wtryskiwacze na większe.\nKorekty powinny być z zakresu od 0.5ms do 2.5ms.\n"
         "Policzona korekta: 6 ms jest za duża.", 5.5},
        {"below minus three", -2.5, 2.40, {}, CalibrationOutcome::Failed,
         "Należy zmienić wtryskiwacze na mniejsze.\nKorekty powinny być z zakresu od 0.5ms do 2.5ms.\n"
         "Policzona korekta: -3 ms jest za mała.", -2.5},
        // −0.22 twice against +0.50: their mean is tiny, every one an outlier; pass 0's 1.50 stays.
        {"differences cancel out", 1.0, 3.50,
         [&] { view.afterPass = [&](const CalibrationPass& p) { if (p.index == 0) gasMs = 2.775; }; },
         CalibrationOutcome::Failed, "Wszystkie wartości średnie zostały odrzucone", 1.50},
        {"engine stops settling", 1.0, 3.0, [&] { extraPump = [&] { engineOn = clears < 1; }; },
         CalibrationOutcome::Failed, nullptr, 1.0, true},
        {"engine stops measuring", 1.0, 3.0, [&] { extraPump = [&] { engineOn = clears < 2; }; },
         CalibrationOutcome::Failed, "Nie można pobrać czasu wtr. benzynowego!", 1.0},
        {"stop button", 1.0, 3.0, [&] { extraPump = [&] { if (++pumps == 120) run->onButton(); }; },
         CalibrationOutcome::Stopped, nullptr, 1.0},
        {"controller silent", 1.0, 3.0,
         [&] { view.afterPass = [&](const CalibrationPass& p) { if (p.index == 1) sim->dropNext(quickTiming().attempts); }; },
         CalibrationOutcome::Failed, "Nie można przełączyć na benzynę!", 1.0},
        {"samples stop", 1.0, 3.0, [&] { extraPump = [&] { samplesStopped = clears >= 3; }; },
         CalibrationOutcome::Failed, "Brak diagnostyki!", 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setStartCorrection(c.startCorrection);
        petrolMs = 3.0;
        gasMs = c.gasMs;
        engineOn = true;
        samplesStopped = false;
        clears = pumps = 0;
        view.afterPass = {};
        extraPump = {};
        if (c.arm)
            c.arm();
        prompt.messages.clear();
        script();
        const CalibrationResult result = run->start();
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.engineStopped, c.engineStopped);
        if (c.said) {
            EXPECT_TRUE(said(c.said)) << ::testing::PrintToString(prompt.messages);
        } else {
            EXPECT_EQ(prompt.messages, std::vector<std::string>{kAtIdle});
        }
        if (c.startCorrection != 1.0) { // the run first offers to put the correction back to 1 ms
            EXPECT_NE(prompt.messages[0].find("Czy przywrócić główną poprawkę stałoczasową (do 1,00 ms)?"), std::string::npos);
        }
        expectCorrections(c.correctionAfter);
        expectCleanEnd();
    }

    // Gone for good in the middle of a settle: the run ends, nothing hangs.
    clears = 0;
    samplesStopped = false;
    extraPump = [&] {
        if (clears == 3)
            sim->vanish();
    };
    script();
    EXPECT_NE(run->start().outcome, CalibrationOutcome::Succeeded);
    EXPECT_FALSE(run->running());
    EXPECT_TRUE(view.tabs.back());
}

// Without a live sample, or with the reducer below 50 °C, nothing is sent.
TEST_F(AutoCalibrationRun, ChecksBeforeTheStart)
{
    open();
    EXPECT_EQ(run->start().outcome, CalibrationOutcome::NotStarted);
    EXPECT_EQ(prompt.messages, std::vector<std::string>{"Błąd - Brak diagnostyki!"});
    for (double celsius : {49.0, 50.0}) {
        SCOPED_TRACE(celsius);
        sim->setTemperatures(celsius, 40);
        pattern = poll();
        ASSERT_NEAR(diagValues(pattern, contextFrom(device->m_settings)).reducerTempC, celsius, 0.5);
        prompt.messages.clear();
        sim->clearReceived();
        script();
        const bool warm = celsius >= 50;
        EXPECT_EQ(run->start().outcome, warm ? CalibrationOutcome::Succeeded : CalibrationOutcome::NotStarted);
        EXPECT_EQ(frames().empty(), !warm);
        if (!warm) {
            EXPECT_EQ(prompt.messages, (std::vector<std::string>{"Temperatura reduktora mniejsza niż 50",
                                                                 "Uruchom autokalibrację po rozgrzaniu silnika"}));
        }
    }
}

namespace {

// The simulated engine answers for itself: live polling, an engine clock ten times as fast as the
// wall clock and the procedure's seconds shortened to match.
class AutoCalibrationLive : public CalibrationLink {
protected:
    void open()
    {
        sim::SimOptions options;
        options.warm = true;
        options.timeScale = 10;
        LinkTiming timing = quickTiming();
        timing.pollPauseMs = 10;
        start(options, timing);
        startPolling();
        makeRun(10, 5, 100);
    }
};

} // namespace

TEST_F(AutoCalibrationLive, TheSimulatedEngineConvergesAndEndsInAutomaticMode)
{
    open();
    const CalibrationResult result = run->start();
    ASSERT_EQ(result.outcome, CalibrationOutcome::Succeeded) << result.failure;
    // The engine's dead time and flow call for 1.36 ms; the first pass finds it, and the closing
    // mean of the three differences adds a third of the first one.
    ASSERT_EQ(result.passes.size(), 3u);
    EXPECT_NEAR(result.passes[0].differenceMs, 0.36, 0.05);
    EXPECT_NEAR(result.passes[1].differenceMs, 0.0, 0.05);
    EXPECT_NEAR(result.correctionMs, 1.36 + result.passes[0].differenceMs / 3, 0.05);
    EXPECT_NEAR(result.pressureKPa, 100, 2);
}

TEST_F(AutoCalibrationLive, AnEngineThatStallsWhileSettlingEndsTheRunOnPetrol)
{
    open();
    sim->setStallAfterPolls(60);
    const CalibrationResult result = run->start();
    EXPECT_EQ(result.outcome, CalibrationOutcome::Failed);
    EXPECT_TRUE(result.engineStopped);
    EXPECT_EQ(prompt.messages, std::vector<std::string>{kAtIdle});
    EXPECT_TRUE(eventually([&] { return sim->workMode() == ModePetrol; })) << sim->workMode();
}

TEST_F(AutoCalibrationLive, DemoModeSettlesOnFiveSamplesAndSucceeds)
{
    LinkTiming timing = quickTiming();
    timing.pollPauseMs = 2;
    start({}, timing, false);
    device->setDemo(true);
    device->setConnected(true);
    startPolling();
    makeRun(1, 1, 1000);
    const CalibrationResult result = run->start();
    EXPECT_EQ(result.outcome, CalibrationOutcome::Succeeded) << result.failure;
    EXPECT_EQ(result.passes.size(), 3u);
    EXPECT_TRUE(sim->received().empty()) << "demo mode sends nothing";
}
