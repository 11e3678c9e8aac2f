// The autocalibration against the virtual controller. The switches, reads and writes go over the
// pseudo-terminal; the live samples are scripted (each wait of the procedure delivers one sample whose
// petrol times the test chooses for petrol and for gas), so every measured difference, limit and
// rejection is exact. One run at the end lets the simulated engine answer for itself.

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "SimFixture.h"
#include "calibration/CAutoCalibration.h"
#include "monitor/DiagValues.h"
#include "settings/BlockCodecs.h"

using namespace tarvola;
using namespace tarvola::test;
using namespace std::chrono_literals;

namespace {

struct RecordingView : ICalibrationView {
    std::vector<int> progress;
    std::vector<bool> tabs;
    std::vector<bool> busy;
    std::vector<CalibrationPass> passes;
    std::function<void(const CalibrationPass&)> afterPass;
    void progressChanged(int p) override { progress.push_back(p); }
    void tabsEnabled(bool on) override { tabs.push_back(on); }
    void busyChanged(bool b) override { busy.push_back(b); }
    void passMeasured(const CalibrationPass& p) override
    {
        passes.push_back(p);
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
        for (int i = 0; i < 200 && !device->diagData().newest(s); ++i)
            std::this_thread::sleep_for(5ms);
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

    void open(sim::SimOptions options = {})
    {
        options.warm = true;
        start(options);
        DiagPayload payload{};
        ASSERT_EQ(device->pollDiagnostics(payload), PollStatus::Read);
        std::copy(payload.begin(), payload.end(), pattern.m_bytes.begin());
        originalDelay = device->m_settings.m_base.m_emulatorDelay;
        makeRun(1, 1, 10);
    }

    CDiag sample() const
    {
        CDiag s = pattern;
        const double ms = sim->workMode() == 3 ? gasMs : petrolMs;
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
    // The controller's own main corrections, read back over the line.
    std::array<double, 8> controllerCorrections()
    {
        std::array<std::uint8_t, 16> block{};
        EXPECT_TRUE(device->readSettingsBlock(SettingsBlock::MainCorr, block));
        CDeviceSettings s;
        decodeMainCorr(block, s);
        return s.m_mainCorr.m_mainCorr;
    }
    CDeviceSettings controllerBase()
    {
        std::array<std::uint8_t, 64> block{};
        EXPECT_TRUE(device->readSettingsBlock(SettingsBlock::Base, block));
        CDeviceSettings s;
        decodeBase(block, s);
        return s;
    }
    // What every way out of a run leaves behind.
    void expectCleanEnd(bool onPetrol = true)
    {
        EXPECT_FALSE(run->running());
        ASSERT_FALSE(view.progress.empty());
        EXPECT_EQ(view.progress.back(), 0);
        ASSERT_FALSE(view.tabs.empty());
        EXPECT_TRUE(view.tabs.back());
        ASSERT_FALSE(view.busy.empty());
        EXPECT_FALSE(view.busy.back());
        if (onPetrol) {
            std::this_thread::sleep_for(100ms);  // the last cylinders leave gas after half the delay
            EXPECT_EQ(sim->workMode(), 2);
        }
        EXPECT_NEAR(controllerBase().m_base.m_emulatorDelay, originalDelay, 1e-9);
    }
    bool saw(const std::string& text) const
    {
        return std::find(prompt.messages.begin(), prompt.messages.end(), text) != prompt.messages.end();
    }
};

} // namespace

TEST_F(AutoCalibrationRun, FirstPassMovesTheCorrectionAndThePassesFinishIt)
{
    open();
    script();
    petrolMs = 2.10;
    gasMs = 3.40;
    std::array<double, 8> afterFirstPass{};
    view.afterPass = [&](const CalibrationPass& p) {
        if (p.index == 1)
            afterFirstPass = controllerCorrections();
    };
    prompt.answer = false;  // keep the gas map
    const CalibrationResult result = run->start();
    ASSERT_EQ(result.outcome, CalibrationOutcome::Succeeded) << result.failure;

    // Pass 0: 1.00 + (3.40 − 2.10) = 2.30, inside the recommended range: no warning.
    for (double c : afterFirstPass)
        EXPECT_NEAR(c, 2.30, 1e-9);
    ASSERT_EQ(result.passes.size(), 3u);
    EXPECT_NEAR(result.passes[0].differenceMs, 1.30, 1e-9);
    // The three equal differences are kept; their mean is added to the pass-0 correction.
    for (double c : controllerCorrections())
        EXPECT_NEAR(c, 3.60, 1e-9);
    EXPECT_NEAR(result.correctionMs, 3.60, 1e-9);

    const std::vector<std::string> expected{
        "Kalibracja powinna być przeprowadzona na wolnych obrotach.", "Autokalibracja zakończona",
        std::string(CMultiplierCalibration::kEraseGasMapQuestion),
        "Uwaga!\nJeśli mapa benzynowa nie została jeszcze zebrana w pełnym zakresie czasów wtrysku\n skasuj ją "
        "używając przycisku 'Skasuj mapę benzynową'"};
    EXPECT_EQ(prompt.messages, expected);

    // The gas pressure became the pressure references; the emulator delay is back.
    const CDeviceSettings base = controllerBase();
    const double p = diagValues(pattern, contextFrom(device->m_settings)).gasPressureKPa;
    EXPECT_NEAR(result.pressureKPa, std::round(p), 1e-9);
    EXPECT_NEAR(base.m_base.m_pressureRef, result.pressureKPa, 1.0);
    EXPECT_NEAR(base.m_base.m_switchPressure, std::round(0.6 * result.pressureKPa), 1.0);
    EXPECT_NEAR(base.m_base.m_pressureGain, 1.0, 1e-9);
    EXPECT_NEAR(device->m_settings.m_carInfo.m_reductorPress, result.pressureKPa, 1e-9);
    EXPECT_EQ(view.progress[view.progress.size() - 2], 99);
    expectCleanEnd(false);
    EXPECT_EQ(sim->settingsBlock(sim::Block::Base).size(), 28u);
}

TEST_F(AutoCalibrationRun, CorrectionsOutsideTheRecommendedRangeWarnAndMayTurnNegative)
{
    open();
    script();
    petrolMs = 3.00;
    gasMs = 2.40;  // 1.00 − 0.60 = 0.40 ms
    const CalibrationResult result = run->start();
    ASSERT_EQ(result.outcome, CalibrationOutcome::Succeeded) << result.failure;
    EXPECT_TRUE(saw("Zalecana jest zmiana wtryskiwaczy na mniejsze.\nPoliczona korekta: 0.4 ms nie mieści się w "
                    "zalecanym zakresie od 0.5ms do 2.5ms."));
    // 0.40 − 0.60: a negative correction reaches the controller and reads back as such.
    for (double c : controllerCorrections())
        EXPECT_NEAR(c, -0.20, 1e-9);
}

TEST_F(AutoCalibrationRun, AboveSixMillisecondsTheRunEndsWithoutWriting)
{
    open();
    setStartCorrection(5.5);
    script();
    petrolMs = 3.00;
    gasMs = 3.60;
    prompt.answer = false;  // keep the corrections as they are
    const CalibrationResult result = run->start();
    EXPECT_EQ(result.outcome, CalibrationOutcome::Failed);
    EXPECT_NE(prompt.messages[0].find("Czy przywrócić główną poprawkę stałoczasową (do 1,00 ms)?"), std::string::npos);
    EXPECT_TRUE(saw("Należy zmienić wtryskiwacze na większe.\nKorekty powinny być z zakresu od 0.5ms do 2.5ms.\n"
                    "Policzona korekta: 6 ms jest za duża."));
    for (double c : controllerCorrections())
        EXPECT_NEAR(c, 5.5, 1e-9);
    expectCleanEnd();
}

TEST_F(AutoCalibrationRun, BelowMinusThreeMillisecondsTheRunEndsWithoutWriting)
{
    open();
    setStartCorrection(-2.5);
    script();
    petrolMs = 3.00;
    gasMs = 2.40;
    const CalibrationResult result = run->start();
    EXPECT_EQ(result.outcome, CalibrationOutcome::Failed);
    EXPECT_TRUE(saw("Należy zmienić wtryskiwacze na mniejsze.\nKorekty powinny być z zakresu od 0.5ms do 2.5ms.\n"
                    "Policzona korekta: -3 ms jest za mała."));
    for (double c : controllerCorrections())
        EXPECT_NEAR(c, -2.5, 1e-9);
    expectCleanEnd();
}

TEST_F(AutoCalibrationRun, DifferencesThatCancelOutAreAllRejected)
{
    open();
    script();
    petrolMs = 3.00;
    gasMs = 3.50;
    view.afterPass = [&](const CalibrationPass& p) {
        if (p.index == 0)
            gasMs = 2.775;  // −0.22 twice against +0.50: their mean is tiny, every one an outlier
    };
    const CalibrationResult result = run->start();
    EXPECT_EQ(result.outcome, CalibrationOutcome::Failed);
    EXPECT_TRUE(saw("Błąd procedury autoustawiania. Wszystkie wartości średnie zostały odrzucone"));
    // The first pass's correction was written and stays.
    for (double c : controllerCorrections())
        EXPECT_NEAR(c, 1.50, 1e-9);
    expectCleanEnd();
}

TEST_F(AutoCalibrationRun, AnEngineStoppingEndsTheRun)
{
    // In a settle: no message.
    open();
    script();
    extraPump = [&] {
        if (clears == 1)
            engineOn = false;
    };
    CalibrationResult result = run->start();
    EXPECT_EQ(result.outcome, CalibrationOutcome::Failed);
    EXPECT_TRUE(result.engineStopped);
    EXPECT_EQ(prompt.messages, std::vector<std::string>{"Kalibracja powinna być przeprowadzona na wolnych obrotach."});
    expectCleanEnd();

    // In the samples of a measurement: the petrol time could not be measured.
    engineOn = true;
    clears = 0;
    prompt.messages.clear();
    extraPump = [&] {
        if (clears == 2)
            engineOn = false;
    };
    device->diagData().append(sample());
    result = run->start();
    EXPECT_EQ(result.outcome, CalibrationOutcome::Failed);
    EXPECT_FALSE(result.engineStopped);
    EXPECT_TRUE(saw("Błąd - Nie można pobrać czasu wtr. benzynowego!"));
    expectCleanEnd();
}

TEST_F(AutoCalibrationRun, TheStopButtonEndsTheRunQuietly)
{
    open();
    script();
    int pumps = 0;
    extraPump = [&] {
        if (++pumps == 120)
            run->onButton();  // the button pressed again while the run pumps events
    };
    const CalibrationResult result = run->start();
    EXPECT_EQ(result.outcome, CalibrationOutcome::Stopped);
    EXPECT_EQ(prompt.messages, std::vector<std::string>{"Kalibracja powinna być przeprowadzona na wolnych obrotach."});
    expectCleanEnd();
}

TEST_F(AutoCalibrationRun, AControllerThatStopsAnsweringEndsTheRun)
{
    open();
    script();
    view.afterPass = [&](const CalibrationPass& p) {
        if (p.index == 1)
            sim->dropNext(quickTiming().attempts);  // every attempt of the next switch goes unanswered
    };
    CalibrationResult result = run->start();
    EXPECT_EQ(result.outcome, CalibrationOutcome::Failed);
    EXPECT_TRUE(saw("Błąd - Nie można przełączyć na benzynę!"));
    expectCleanEnd();

    // Gone for good in the middle of a settle: the run ends, nothing hangs.
    prompt.messages.clear();
    view.afterPass = {};
    clears = 0;
    extraPump = [&] {
        if (clears == 3)
            sim->vanish();
    };
    device->diagData().append(sample());
    result = run->start();
    EXPECT_NE(result.outcome, CalibrationOutcome::Succeeded);
    EXPECT_FALSE(run->running());
    EXPECT_TRUE(view.tabs.back());
}

TEST_F(AutoCalibrationRun, LiveSamplesThatStopArrivingEndTheRun)
{
    open();
    script();
    extraPump = [&] {
        if (clears == 3)
            samplesStopped = true;
    };
    const CalibrationResult result = run->start();
    EXPECT_EQ(result.outcome, CalibrationOutcome::Failed);
    EXPECT_TRUE(saw("Błąd - Brak diagnostyki!"));
    expectCleanEnd();
}

TEST_F(AutoCalibrationRun, ChecksBeforeTheStart)
{
    open();
    // No live sample at all.
    EXPECT_EQ(run->start().outcome, CalibrationOutcome::NotStarted);
    EXPECT_EQ(prompt.messages, std::vector<std::string>{"Błąd - Brak diagnostyki!"});

    // A reducer at 49 °C does not start; at 50 it does.
    const auto withReducer = [&](double celsius) {
        sim->setTemperatures(celsius, 40);
        DiagPayload payload{};
        EXPECT_EQ(device->pollDiagnostics(payload), PollStatus::Read);
        CDiag s;
        std::copy(payload.begin(), payload.end(), s.m_bytes.begin());
        return s;
    };
    CDiag cold = withReducer(49);
    ASSERT_NEAR(diagValues(cold, contextFrom(device->m_settings)).reducerTempC, 49, 0.5);
    prompt.messages.clear();
    sim->clearReceived();
    device->diagData().append(cold);
    EXPECT_EQ(run->start().outcome, CalibrationOutcome::NotStarted);
    EXPECT_EQ(prompt.messages,
              (std::vector<std::string>{"Temperatura reduktora mniejsza niż 50", "Uruchom autokalibrację po rozgrzaniu silnika"}));
    EXPECT_TRUE(frames().empty()) << "nothing is sent before the checks pass";
    EXPECT_FALSE(run->running());

    pattern = withReducer(50);
    prompt.messages.clear();
    script();
    EXPECT_EQ(run->start().outcome, CalibrationOutcome::Succeeded);
}

namespace {

// The simulated engine answers for itself: live polling, an engine clock ten times as fast as the
// wall clock and the procedure's seconds shortened to match.
class AutoCalibrationLive : public CalibrationLink {
protected:
    void open(sim::SimOptions options)
    {
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
    open({});
    const double before = device->m_settings.m_base.m_emulatorDelay;
    const CalibrationResult result = run->start();
    ASSERT_EQ(result.outcome, CalibrationOutcome::Succeeded) << result.failure;
    // The engine's dead time and flow call for 1.36 ms; the first pass finds it, and the closing
    // mean of the three differences adds a third of the first one.
    ASSERT_EQ(result.passes.size(), 3u);
    EXPECT_NEAR(result.passes[0].differenceMs, 0.36, 0.05);
    EXPECT_NEAR(result.passes[1].differenceMs, 0.0, 0.05);
    EXPECT_NEAR(result.correctionMs, 1.36 + result.passes[0].differenceMs / 3, 0.05);
    EXPECT_NEAR(result.pressureKPa, 100, 2);
    EXPECT_EQ(sim->settingsBlock(sim::Block::MainCorr)[0], sim->settingsBlock(sim::Block::MainCorr)[14]);
    EXPECT_NEAR(device->m_settings.m_base.m_emulatorDelay, before, 1e-9);
}

TEST_F(AutoCalibrationLive, AnEngineThatStallsWhileSettlingEndsTheRunOnPetrol)
{
    open({});
    sim->setStallAfterPolls(60);
    const CalibrationResult result = run->start();
    EXPECT_EQ(result.outcome, CalibrationOutcome::Failed);
    EXPECT_TRUE(result.engineStopped);
    EXPECT_EQ(prompt.messages, std::vector<std::string>{"Kalibracja powinna być przeprowadzona na wolnych obrotach."});
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(sim->workMode(), 2);
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
