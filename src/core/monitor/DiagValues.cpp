#include "monitor/DiagValues.h"

#include "settings/CDeviceSettings.h"

#include <algorithm>

#include "settings/Conversions.h"

namespace tarvola {

namespace {

bool validEntry(int entry)
{
    return entry >= 0 && entry < diag::Entries;
}

} // namespace

int signedCorrection(std::uint16_t count)
{
    return count > 60000 ? static_cast<int>(count) - 65535 : static_cast<int>(count);
}

double entryPetrolMs(const CDiag& sample, int entry)
{
    return validEntry(entry) ? timeCodeToMs(sample.word(diag::petrolTime(entry)), 2) : 0.0;
}

double entryCorrectionMs(const CDiag& sample, int entry)
{
    return validEntry(entry) ? signedCorrection(sample.word(diag::gasCorrection(entry))) * kTimeStepMs : 0.0;
}

CylinderTimes cylinderTimes(const CDiag& sample, int cylinder)
{
    if (cylinder < 0 || cylinder >= diag::Cylinders)
        return {};
    const int first = 2 * cylinder;
    // Whole counts compare exactly; rounding to 0.01 ms keeps their order (one count is 0.025 ms).
    const int larger =
        sample.word(diag::petrolTime(first + 1)) > sample.word(diag::petrolTime(first)) ? first + 1 : first;
    CylinderTimes t;
    t.petrolMs = entryPetrolMs(sample, larger);
    // + 0.0 turns a rounded −0 into 0, so that files and displays never show "-0.00".
    t.gasMs = roundHalfAway(t.petrolMs + entryCorrectionMs(sample, larger), 2) + 0.0;
    return t;
}

std::array<CylinderTimes, diag::Cylinders> shownCylinderTimes(const CDiag& sample, const DiagContext& context,
                                                             Channel3Repeat repeat)
{
    std::array<CylinderTimes, diag::Cylinders> shown{};
    const int count = std::clamp<std::int32_t>(context.injectorCount, 0, diag::Cylinders);
    for (int c = 0; c < count; ++c) {
        shown[c] = cylinderTimes(sample, c);
        shown[c].gasMs = std::max(shown[c].gasMs, 0.0);
    }
    // Controllers wired with one petrol signal for the first four channels report it on channel 1 only.
    if (repeat == Channel3Repeat::Apply && context.channel3Zero)
        std::fill(shown.begin() + 1, shown.begin() + 4, shown[0]);
    return shown;
}

DiagValues diagValues(const CDiag& sample, const DiagContext& context)
{
    DiagValues v;
    v.workMode = sample.byte(diag::WorkMode);
    v.switchOn = sample.byte(diag::SwitchState) == 1;
    v.reducerTempC = codeToTemperature(sample.byte(diag::ReducerTemp), temperatureColumn(context.reducerSensor));
    v.gasTempC = codeToTemperature(sample.byte(diag::GasTemp), temperatureColumn(context.gasSensor));
    v.supplyVolts = supplyCodeToVolts(sample.byte(diag::Supply));
    v.lambda1Volts = voltageCodeToVolts(sample.byte(diag::Lambda1));
    v.lambda2Volts = voltageCodeToVolts(sample.byte(diag::Lambda2));
    v.gasPressureKPa = pressureCodeToKPa(sample.byte(diag::GasPressure));
    v.manifoldKPa = manifoldCodeToKPa(sample.byte(diag::Manifold), context.absoluteManifoldSensor);
    v.activeInjectors = sample.byte(diag::ActiveInjectors);
    v.fuelLevel = sample.byte(diag::FuelLevel);
    v.obdCorrection1 = sample.byte(diag::ObdCorrection1) - 100;
    v.obdCorrection2 = sample.byte(diag::ObdCorrection2) - 100;
    v.rpm = periodCountToRpm(sample.word(diag::PeriodCount));
    return v;
}

double shownRpm(double rpm)
{
    return rpm >= 100 ? rpm : 0.0;
}

double shownManifoldKPa(double kPa)
{
    return std::max(kPa, 0.0);
}

std::array<double, kRecordFields> recordValues(const CDiag& sample, const DiagContext& context)
{
    const DiagValues v = diagValues(sample, context);
    std::array<double, kRecordFields> out{};
    out[0] = v.workMode;
    out[1] = v.rpm;
    for (int c = 0; c < diag::Cylinders; ++c) {
        const CylinderTimes t = cylinderTimes(sample, c);
        out[2 + 2 * c] = t.petrolMs;
        out[3 + 2 * c] = t.gasMs;
    }
    out[18] = v.gasPressureKPa;
    out[19] = v.manifoldKPa;
    out[20] = v.gasTempC;
    out[21] = v.reducerTempC;
    out[22] = v.lambda1Volts;
    out[23] = v.lambda2Volts;
    return out;
}

DiagContext contextFrom(const CDeviceSettings& settings)
{
    DiagContext c;
    c.reducerSensor = settings.m_sensorsSetup.m_temprEngineSensor;
    c.gasSensor = settings.m_sensorsSetup.m_temprLPGSensor;
    c.absoluteManifoldSensor = (settings.m_advancedSetup.m_advancedFlags & flags::AbsoluteManifold) != 0;
    c.injectorCount = settings.m_devInfo.m_injCount;
    c.channel3Zero = settings.m_adv.m_channelBytes[2] == 0;
    return c;
}

} // namespace tarvola
