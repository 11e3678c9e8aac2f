#include "calibration/CAutoCalibration.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <locale>
#include <sstream>

#include "lang/CommonTexts.h"
#include "lang/translate.h"
#include "monitor/DiagValues.h"
#include "platform/Clock.h"
#include "settings/Conversions.h"

namespace tarvola {

namespace {
constexpr const char* kNoDiagnostics = "Błąd - Brak diagnostyki!";
constexpr const char* kReducerTooCold = "Temperatura reduktora mniejsza niż ";
constexpr const char* kWarmUpFirst = "Uruchom autokalibrację po rozgrzaniu silnika";
constexpr const char* kAtIdle = "Kalibracja powinna być przeprowadzona na wolnych obrotach.";
constexpr const char* kFinished = "Autokalibracja zakończona";
constexpr const char* kUnexpected = "Błąd wykonania procedury autoustawiania";
constexpr const char* kRestoreIntro =
    "Uwaga!!! Przed każdą ponowną autokalibracją zalecane jest przywrócenie nastawów do wartości domyślnych.";
constexpr const char* kRestoreCorrection = "Czy przywrócić główną poprawkę stałoczasową (do 1,00 ms)?";
constexpr const char* kRestoreLine = "Czy skasować nastawy linii mnożnika?";
constexpr const char* kRestoreMap = "Czy skasować modyfikacje mapy 'Czas wtrysku/Obroty' (ms/RPM)?";
constexpr const char* kNoPetrol = "Błąd - Nie można przełączyć na benzynę!";
constexpr const char* kReadFailed = "Błąd - Nie powiodło się wczytanie ustawień z urządzenia!";
constexpr const char* kWriteFailed = "Błąd - Nie powiodło się wpisanie ustawień do urządzenia!";
constexpr const char* kNoGas = "Błąd - Nie można przełączyć na LPG!";
constexpr const char* kNoPetrolTime = "Błąd - Nie można pobrać czasu wtr. benzynowego!";
constexpr const char* kInjectorsSmaller = "Należy zmienić wtryskiwacze na mniejsze.";
constexpr const char* kInjectorsBigger = "Należy zmienić wtryskiwacze na większe.";
constexpr const char* kRangeLine = "Korekty powinny być z zakresu od 0.5ms do 2.5ms.";
constexpr const char* kComputed = "Policzona korekta: ";
constexpr const char* kTooSmall = " ms jest za mała.";
constexpr const char* kTooBig = " ms jest za duża.";
constexpr const char* kRecommendSmaller = "Zalecana jest zmiana wtryskiwaczy na mniejsze.";
constexpr const char* kRecommendBigger = "Zalecana jest zmiana wtryskiwaczy na większe.";
constexpr const char* kUnit = " ms ";
constexpr const char* kOutsideRecommended = "nie mieści się w zalecanym zakresie od 0.5ms do 2.5ms.";
constexpr const char* kAllRejected =
    "Błąd procedury autoustawiania. Wszystkie wartości średnie zostały odrzucone";
constexpr const char* kPetrolMapNote =
    "Uwaga!\nJeśli mapa benzynowa nie została jeszcze zebrana w pełnym zakresie czasów wtrysku\n skasuj ją "
    "używając przycisku 'Skasuj mapę benzynową'";

// The correction inside the messages: a stream's default format, in the "C" locale.
std::string number(double v)
{
    std::ostringstream s;
    s.imbue(std::locale::classic());
    s << v;
    return s.str();
}

bool anyNonZero(const auto& values)
{
    return std::any_of(values.begin(), values.end(), [](double v) { return v != 0; });
}

bool anyNonZeroCell(const InjMapTable& table)
{
    return std::any_of(table.begin(), table.end(), [](const auto& row) { return anyNonZero(row); });
}
} // namespace

CAutoCalibration::CAutoCalibration(CMultiplierCalibration& page, AutoCalibrationTiming timing, ClockFn clock,
                                   SleepFn sleep)
    : m_page(page), m_device(page.device()), m_timing(timing), m_clock(std::move(clock)), m_sleep(std::move(sleep))
{
}

int CAutoCalibration::settleCount(double emulatorDelaySeconds, int injectors, bool demo)
{
    if (demo)
        return kDemoSettleSamples;
    const double n = truncateTowardZero(emulatorDelaySeconds * 2.5 * injectors / 4.0);
    return std::isfinite(n) && n > kMinSettleSamples ? static_cast<int>(std::min(n, 1e6)) : kMinSettleSamples;
}

std::vector<double> CAutoCalibration::keptDifferences(const std::vector<double>& differences)
{
    if (differences.empty())
        return {};
    double sum = 0;
    for (double d : differences)
        sum += d;
    const double a = sum / static_cast<double>(differences.size());
    // With a mean of exactly 0 every difference would deviate infinitely: an engine already
    // calibrated measures tiny differences around 0, and none of them is an outlier of the others.
    if (a == 0)
        return differences;
    std::vector<double> kept;
    for (double d : differences) {
        const double deviation = std::fabs(truncateTowardZero((a - d) / a));
        if (deviation < kRejectionLimit)
            kept.push_back(d);
    }
    return kept;
}

void CAutoCalibration::onButton()
{
    if (running())
        stop();
    else
        start();
}

void CAutoCalibration::stop()
{
    if (!running())
        return;
    m_page.setBusy(false);
    m_page.view().busyChanged(false);
}

int CAutoCalibration::cylinders() const
{
    // A controller that reports no injector count (the demo identity) has its samples read for all
    // eight cylinders.
    const int count = m_device.m_settings.m_devInfo.m_injCount;
    return count >= 1 ? std::min(count, 8) : 8;
}

bool CAutoCalibration::engineRunning(const CDiag& sample) const
{
    for (int c = 0; c < cylinders(); ++c)
        if (cylinderTimes(sample, c).petrolMs > kRunningMs)
            return true;
    return false;
}

void CAutoCalibration::setProgress(int percent)
{
    if (percent == m_progress)
        return;
    m_progress = percent;
    m_page.view().progressChanged(percent);
}

bool CAutoCalibration::checksPass()
{
    IUserPrompt& prompt = m_device.prompt();
    CDiag latest;
    if (!m_device.diagData().newest(latest)) {
        prompt.error(translate(kNoDiagnostics));
        m_result.failure = kNoDiagnostics;
        return false;
    }
    const double reducer = diagValues(latest, contextFrom(m_device.m_settings)).reducerTempC;
    if (reducer < kMinReducerCelsius) {
        prompt.warning(translate(kReducerTooCold) + number(kMinReducerCelsius));
        prompt.error(translate(kWarmUpFirst));
        m_result.failure = kReducerTooCold;
        return false;
    }
    return true;
}

void CAutoCalibration::offerRestore()
{
    CDeviceSettings& s = m_device.m_settings;
    if (s.m_mainCorr.m_mainCorr[0] == 1.0)
        return;
    const bool line = anyNonZero(s.m_setupTimes1);
    const bool map = anyNonZeroCell(s.m_injMapTable);
    std::string question = translate(kRestoreIntro) + "\n" + translate(kRestoreCorrection);
    if (line)
        question += "\n" + translate(kRestoreLine);
    if (map)
        question += "\n" + translate(kRestoreMap);
    if (!m_device.prompt().yesNo(question))
        return;
    s.m_mainCorr.m_mainCorr.fill(1.0);
    if (!m_device.writeSettings(SettingsBlock::MainCorr))
        return;
    m_page.view().mainCorrectionChanged();
    if (line)
        m_page.resetLine();
    if (map && m_device.clearMap() && m_device.storeMap())
        for (auto& row : s.m_injMapTable)
            row.fill(0);
}

CalibrationResult CAutoCalibration::start()
{
    m_result = {};
    if (!m_device.isConnected() || running())
        return m_result;
    ICalibrationView& view = m_page.view();
    view.busyChanged(true);
    try {
        if (!checksPass()) {
            view.busyChanged(false);
            return m_result;
        }
        offerRestore();
    } catch (const std::exception&) {
        m_device.prompt().plain(translate(kUnexpected));
        m_result.failure = kUnexpected;
        view.busyChanged(false);
        return m_result;
    }

    CDeviceSettings& s = m_device.m_settings;
    m_page.setBusy(true);
    view.tabsEnabled(false);
    m_runDelay = s.m_base.m_emulatorDelay;
    m_procedureDelay = m_runDelay;
    m_settle = settleCount(s.m_base.m_emulatorDelay, s.m_devInfo.m_injCount, m_device.isDemo());
    m_samplesSeen = 0;
    m_progress = -1;
    setProgress(0);

    bool failed = true;
    try {
        procedure();
        failed = false;
    } catch (const Failure& f) {
        failurePath(f, false);
    } catch (const Stopped&) {
        failurePath({}, true);
    } catch (const std::exception&) {
        failurePath({}, false);
        m_device.prompt().plain(translate(kUnexpected));
        m_result.failure = kUnexpected;
    }
    if (failed) {
        // The emulator delay the controller had before the run.
        s.m_base.m_emulatorDelay = m_runDelay;
        bool restored = false;
        try {
            restored = m_device.writeSettings(SettingsBlock::Base);
        } catch (const std::exception&) {
            // Reported below like a refused write: the controller may still hold the run's delay.
        }
        if (!restored && m_result.failure != kWriteFailed)
            m_device.prompt().error(translate(kWriteFailed));
    }
    m_result.correctionMs = s.m_mainCorr.m_mainCorr[0];
    view.busyChanged(false);
    return m_result;
}

void CAutoCalibration::failurePath(const Failure& failure, bool stoppedByUser)
{
    m_result.outcome = stoppedByUser ? CalibrationOutcome::Stopped : CalibrationOutcome::Failed;
    m_result.failure = failure.key;
    if (!stoppedByUser && !failure.shown.empty())
        m_device.prompt().error(failure.shown);
    m_page.setBusy(false);
    bool onPetrol = false;
    try {
        onPetrol = m_device.switchToPetrol();
    } catch (const std::exception&) {
        // Reported below like a refused switch: the car may still run on gas.
    }
    if (!onPetrol && failure.key != kNoPetrol)
        m_device.prompt().error(translate(kNoPetrol));
    m_page.view().mainCorrectionChanged();
    setProgress(0);
    m_page.view().tabsEnabled(true);
}

CAutoCalibration::Failure CAutoCalibration::failure(const char* message)
{
    return Failure{translate(message), message};
}

void CAutoCalibration::require(bool ok, const char* message)
{
    if (!ok)
        throw failure(message);
}

void CAutoCalibration::waitMs(std::int64_t ms)
{
    const std::uint32_t step = std::max<std::uint32_t>(m_timing.waitStepMs, 1);
    while (ms >= 1) {
        m_device.prompt().pumpEvents();
        if (!m_page.busy())
            throw Stopped{};
        m_sleep(step);
        ms -= step;
    }
}

void CAutoCalibration::waitSwitch()
{
    const CDeviceSettings& s = m_device.m_settings;
    const double seconds = truncateTowardZero(s.m_devInfo.m_injCount * s.m_base.m_emulatorDelay);
    // A controller's record cannot make the wait absurd: the delay byte holds at most 6.375 s.
    if (std::isfinite(seconds) && seconds > 0)
        waitMs(static_cast<std::int64_t>(std::min(seconds, 3600.0) * m_timing.msPerSecond));
}

void CAutoCalibration::settle(int samples, bool measuring)
{
    CDiagData& data = m_device.diagData();
    data.clear();
    std::size_t seen = 0;
    auto lastNew = m_clock();
    const std::int64_t total = 8LL * m_settle + 7LL * kMeasureSamples + 15;
    while (seen < static_cast<std::size_t>(samples)) {
        m_device.prompt().pumpEvents();
        if (!m_page.busy())
            throw Stopped{};
        const std::size_t now = data.count();
        if (now != seen) {
            // A full buffer drops its oldest samples at once; count only what is new.
            if (now > seen)
                m_samplesSeen += static_cast<std::int64_t>(now - seen);
            seen = now;
            lastNew = m_clock();
            CDiag latest;
            if (data.newest(latest) && !engineRunning(latest)) {
                if (measuring)
                    throw failure(kNoPetrolTime);
                m_result.engineStopped = true;
                throw Failure{};
            }
        } else if (!m_device.pollingOn() || m_clock() - lastNew > std::chrono::milliseconds(m_timing.sampleSilenceMs)) {
            throw failure(kNoDiagnostics);
        }
        m_sleep(m_timing.settleSleepMs);
        setProgress(static_cast<int>(roundHalfAway(static_cast<double>(m_samplesSeen) * 100.0 / total)));
    }
}

CAutoCalibration::Measurement CAutoCalibration::measure()
{
    settle(kMeasureSamples, true);
    std::vector<CDiag> samples;
    m_device.diagData().copyRange(samples, 0, CDiagData::kKeepAtMost + 1);
    const DiagContext context = contextFrom(m_device.m_settings);
    double timeSum = 0;
    int times = 0;
    double pressureSum = 0;
    for (const CDiag& sample : samples) {
        for (int c = 0; c < cylinders(); ++c) {
            const double t = cylinderTimes(sample, c).petrolMs;
            if (t > kRunningMs) {
                timeSum += t;
                ++times;
            }
        }
        pressureSum += diagValues(sample, context).gasPressureKPa;
    }
    if (times == 0 || samples.empty())
        throw failure(kNoPetrolTime);
    return {roundHalfAway(timeSum / times, 2), roundHalfAway(pressureSum / static_cast<double>(samples.size()))};
}

void CAutoCalibration::setAllCorrections(double c)
{
    m_device.m_settings.m_mainCorr.m_mainCorr.fill(c);
}

void CAutoCalibration::writeCorrections()
{
    require(m_device.writeSettings(SettingsBlock::MainCorr), kWriteFailed);
    m_page.view().mainCorrectionChanged();
}

void CAutoCalibration::procedure()
{
    CDeviceSettings& s = m_device.m_settings;
    IUserPrompt& prompt = m_device.prompt();
    ICalibrationView& view = m_page.view();

    // 1. Idle.
    prompt.information(translate(kAtIdle));

    // 2. Petrol; the settings as the controller holds them; every cylinder the first correction;
    //    a slow switch for the first measurement.
    require(m_device.switchToPetrol(), kNoPetrol);
    waitSwitch();
    require(m_device.readSettings(SettingsBlock::Base) && m_device.readSettings(SettingsBlock::Adv) &&
                m_device.readSettings(SettingsBlock::MainCorr),
            kReadFailed);
    double c = s.m_mainCorr.m_mainCorr[0];
    setAllCorrections(c);
    writeCorrections();
    m_procedureDelay = s.m_base.m_emulatorDelay;
    s.m_base.m_emulatorDelay = (s.m_advancedSetup.m_advancedFlags & flags::SwitchAllAtOnce) ? 0.0 : kSwitchDelaySeconds;
    require(m_device.writeSettings(SettingsBlock::Base), kWriteFailed);

    // 3. Gas: the reducer's pressure becomes the pressure reference.
    require(m_device.switchToGas(), kNoGas);
    waitSwitch();
    settle(m_settle, false);
    const double p = measure().gasPressureKPa;
    m_result.pressureKPa = p;
    s.m_carInfo.m_reductorPress = roundHalfAway(p);
    s.m_base.m_pressureRef = roundHalfAway(p);
    s.m_base.m_switchPressure = roundHalfAway(0.6 * p);
    s.m_base.m_pressureGain = 1.0;
    view.pressureMeasured(p);

    // 4. Back to petrol; from now on the switches are immediate.
    require(m_device.switchToPetrol(), kNoPetrol);
    waitSwitch();
    s.m_base.m_emulatorDelay = 0;
    require(m_device.writeSettings(SettingsBlock::Base), kWriteFailed);

    // 5. Three passes of petrol against gas.
    std::vector<double> differences;
    for (int pass = 0; pass < kPasses; ++pass) {
        require(m_device.switchToPetrol(), kNoPetrol);
        waitSwitch();
        settle(m_settle, false);
        const double petrol = measure().petrolMs;
        require(m_device.switchToGas(), kNoGas);
        waitSwitch();
        settle(m_settle, false);
        const double gas = measure().petrolMs;
        const double d = gas - petrol;
        differences.push_back(d);
        const CalibrationPass report{pass, petrol, gas, d};
        m_result.passes.push_back(report);
        view.passMeasured(report);

        if (pass != 0)
            continue;
        // 6. The first pass moves the correction by its difference.
        c += d;
        // Beyond the hard limits nothing is written: the controller keeps the correction it had.
        if (c < kLowestCorrection) {
            c = kLowestCorrection;
            throw Failure{translate(kInjectorsSmaller) + "\n" + translate(kRangeLine) + "\n" + translate(kComputed) +
                              number(c) + translate(kTooSmall),
                          kInjectorsSmaller};
        }
        if (c > kHighestCorrection) {
            c = kHighestCorrection;
            throw Failure{translate(kInjectorsBigger) + "\n" + translate(kRangeLine) + "\n" + translate(kComputed) +
                              number(c) + translate(kTooBig),
                          kInjectorsBigger};
        }
        if (!(s.m_advancedSetup.m_advancedFlags & flags::Cng) && (c < kRecommendedLow || c > kRecommendedHigh))
            prompt.warning(translate(c < kRecommendedLow ? kRecommendSmaller : kRecommendBigger) + "\n" +
                           translate(kComputed) + number(c) + translate(kUnit) + translate(kOutsideRecommended));
        setAllCorrections(c);
        writeCorrections();
    }

    // 7. The mean of the differences that agree with each other.
    const std::vector<double> kept = keptDifferences(differences);
    if (kept.empty())
        throw failure(kAllRejected);
    double keptSum = 0;
    for (double d : kept)
        keptSum += d;
    c = std::clamp(keptSum / static_cast<double>(kept.size()) + s.m_mainCorr.m_mainCorr[0], kLowestCorrection,
                   kHighestCorrection);
    setAllCorrections(c);
    setProgress(99);
    writeCorrections();
    s.m_base.m_emulatorDelay = m_procedureDelay;
    require(m_device.writeSettings(SettingsBlock::Base), kWriteFailed);

    finishSuccess();
}

void CAutoCalibration::finishSuccess()
{
    IUserPrompt& prompt = m_device.prompt();
    // The corrections are stored by now: a refused automatic mode leaves the calibration valid, but
    // the fitter must know the car stays on petrol.
    if (!m_device.switchToAuto())
        prompt.error(translate(kAutoModeFailedText));
    m_result.outcome = CalibrationOutcome::Succeeded;
    prompt.information(translate(kFinished));
    if (prompt.yesNo(translate(CMultiplierCalibration::kEraseGasMapQuestion)))
        m_page.eraseGasMapNow();
    prompt.information(translate(kPetrolMapNote));
    m_page.setBusy(false);
    setProgress(0);
    m_page.view().tabsEnabled(true);
}

} // namespace tarvola
