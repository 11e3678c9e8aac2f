#include "settings/BlockCodecs.h"

#include <algorithm>

#include "link/Frame.h"
#include "settings/Conversions.h"

namespace tarvola {

namespace {

int engineColumn(const CDeviceSettings& s)
{
    return temperatureColumn(s.m_sensorsSetup.m_temprEngineSensor);
}

int lpgColumn(const CDeviceSettings& s)
{
    return temperatureColumn(s.m_sensorsSetup.m_temprLPGSensor);
}

constexpr int kOwnSensorColumn = 0; // the controller's own sensor always uses characteristic 0

bool isVariant(const CDeviceSettings& s)
{
    return s.m_devInfo.m_deviceID == kVariantDeviceId;
}

template <std::size_t N>
void clear(std::span<std::uint8_t, N> out)
{
    std::fill(out.begin(), out.end(), std::uint8_t{0});
}

} // namespace

// ---- base ----

void encodeBase(const CDeviceSettings& s, std::span<std::uint8_t, kBaseBlockSize> out)
{
    const auto& b = s.m_base;
    clear(out);
    putU16(out, 0, rpmToPeriodCode(b.m_switchRPM));
    putU16(out, 2, msToTimeCode16(b.m_switchMinGasTime));
    out[4] = b.m_sparkDivider;
    out[5] = kPaToPressureCode(b.m_switchPressure);
    out[6] = temperatureToCode(b.m_switchTempr, engineColumn(s));
    out[7] = secondsToHalfSecondCode(b.m_switchDelay);
    putU16(out, 8, rpmToPeriodCode(b.m_maxRPMHigh));
    putU16(out, 10, rpmToPeriodCode(b.m_maxRPMLow));
    out[12] = static_cast<std::uint8_t>(b.m_flags | flags::BaseAlwaysOn);
    out[13] = kPaToPressureCode(b.m_pressureRef);
    out[14] = pressureGainToCode(b.m_pressureGain);
    out[15] = fifthsToCode(b.m_pressAverageCount);
    out[16] = temperatureToCode(b.m_temprRef, lpgColumn(s));
    out[17] = tenthsToCode(b.m_temprGain);
    out[18] = temperatureToCode(b.m_temprBottom, lpgColumn(s));
    out[19] = temperatureToCode(b.m_temprUpper, lpgColumn(s));
    out[20] = secondsToDelayCode(b.m_emulatorDelay);
    out[21] = temperatureToCode(b.m_maxTemprInside, kOwnSensorColumn);
    out[22] = supplyVoltsToCode(b.m_minVCC);
    std::copy(b.m_pcStamp.begin(), b.m_pcStamp.end(), out.begin() + 24);
}

bool decodeBase(std::span<const std::uint8_t> p, CDeviceSettings& s)
{
    if (p.size() < kBaseBlockSize)
        return false;
    auto& b = s.m_base;
    b.m_switchRPM = periodCodeToSettingRpm(getU16(p, 0));
    b.m_switchMinGasTime = timeCodeToMs(getU16(p, 2), 1);
    b.m_sparkDivider = p[4];
    b.m_switchPressure = pressureCodeToSettingKPa(p[5]);
    b.m_switchTempr = codeToTemperature(p[6], engineColumn(s));
    b.m_switchDelay = halfSecondCodeToWholeSeconds(p[7]);
    b.m_maxRPMHigh = periodCodeToSettingRpm(getU16(p, 8));
    b.m_maxRPMLow = periodCodeToSettingRpm(getU16(p, 10));
    b.m_flags = p[12];
    b.m_pressureRef = pressureCodeToSettingKPa(p[13]);
    b.m_pressureGain = pressureGainCodeToValue(p[14]);
    b.m_pressAverageCount = fifthsCodeToValue(p[15]);
    b.m_temprRef = codeToTemperature(p[16], lpgColumn(s));
    b.m_temprGain = tenthsCodeToValue(p[17]);
    b.m_temprBottom = codeToTemperature(p[18], lpgColumn(s));
    b.m_temprUpper = codeToTemperature(p[19], lpgColumn(s));
    b.m_emulatorDelay = delayCodeToSeconds(p[20]);
    b.m_maxTemprInside = codeToTemperature(p[21], kOwnSensorColumn);
    b.m_minVCC = roundHalfAway(supplyCodeToVolts(p[22]), 1);
    std::copy_n(p.begin() + 24, 4, b.m_pcStamp.begin());
    return true;
}

// ---- adv ----

void encodeAdv(const CDeviceSettings& s, std::span<std::uint8_t, kAdvBlockSize> out)
{
    const auto& a = s.m_adv;
    clear(out);
    out[0] = a.m_injectorType;
    out[1] = msToTimeCode8(a.m_pwmOffset);
    out[2] = pwmToCode(a.m_pwm);
    out[3] = msToTimeCode8(a.m_injectorWarmingImpulse);
    out[4] = secondsToHalfSecondCode(a.m_warmingTime);
    out[5] = temperatureToCode(a.m_warmingUpperTempr, engineColumn(s));
    out[6] = msToTimeCode8(a.m_minLPGTime);
    out[7] = msToTimeCode8(a.m_ignoreLPGTime);
    std::copy(a.m_channelBytes.begin(), a.m_channelBytes.end(), out.begin() + 8);
    out[16] = a.m_engineSignalBehavior;
    out[17] = a.m_flags;
    out[18] = kPaToPressureCode(a.m_cutOffPressSwitch);
    out[19] = secondsToDelayCode(a.m_cutOffExitEmulatorDelay);
    out[20] = secondsToHalfSecondCode(a.m_cutOffExitDelay);
}

bool decodeAdv(std::span<const std::uint8_t> p, CDeviceSettings& s)
{
    if (p.size() < kAdvBlockSize)
        return false;
    auto& a = s.m_adv;
    a.m_injectorType = p[0];
    a.m_pwmOffset = timeCodeToMs(p[1], 1);
    a.m_pwm = pwmCodeToValue(p[2]);
    a.m_injectorWarmingImpulse = timeCodeToMs(p[3], 1);
    a.m_warmingTime = halfSecondCodeToWholeSeconds(p[4]);
    a.m_warmingUpperTempr = codeToTemperature(p[5], engineColumn(s));
    a.m_minLPGTime = timeCodeToMs(p[6], 1);
    a.m_ignoreLPGTime = timeCodeToMs(p[7], 1);
    std::copy_n(p.begin() + 8, a.m_channelBytes.size(), a.m_channelBytes.begin());
    a.m_engineSignalBehavior = p[16];
    a.m_flags = p[17];
    a.m_cutOffPressSwitch = pressureCodeToSettingKPa(p[18]);
    a.m_cutOffExitEmulatorDelay = delayCodeToSeconds(p[19]);
    a.m_cutOffExitDelay = halfSecondCodeToSeconds(p[20]);
    return true;
}

// ---- main corrections ----

void encodeMainCorr(const CDeviceSettings& s, std::span<std::uint8_t, kMainCorrBlockSize> out)
{
    clear(out);
    for (std::size_t i = 0; i < s.m_mainCorr.m_mainCorr.size(); ++i)
        putU16(out, 2 * i, msToSignedFineTimeCode(s.m_mainCorr.m_mainCorr[i]));
}

bool decodeMainCorr(std::span<const std::uint8_t> p, CDeviceSettings& s)
{
    if (p.size() < kMainCorrBlockSize)
        return false;
    for (std::size_t i = 0; i < s.m_mainCorr.m_mainCorr.size(); ++i)
        s.m_mainCorr.m_mainCorr[i] = signedFineTimeCodeToMs(getU16(p, 2 * i));
    return true;
}

// ---- setup times ----

void encodeSetupTimes(const CDeviceSettings& s, std::span<std::uint8_t, kSetupTimesBlockSize> out)
{
    clear(out);
    for (std::size_t i = 0; i < kSetupTimesCount; ++i) {
        out[i] = percentToByte(s.m_setupTimes1[i]);
        out[kSetupTimesCount + i] = percentToByte(s.m_setupTimes2[i]);
    }
    out[2 * kSetupTimesCount] = s.m_tableMask;
}

bool decodeSetupTimes(std::span<const std::uint8_t> p, CDeviceSettings& s)
{
    if (p.size() < kSetupTimesBlockSize)
        return false;
    for (std::size_t i = 0; i < kSetupTimesCount; ++i) {
        s.m_setupTimes1[i] = byteToPercent(p[i]);
        s.m_setupTimes2[i] = byteToPercent(p[kSetupTimesCount + i]);
    }
    s.m_tableMask = p[2 * kSetupTimesCount];
    return true;
}

// ---- sensors setup ----

void encodeSensorsSetup(const CDeviceSettings& s, std::span<std::uint8_t, kSensorsSetupBlockSize> out)
{
    const auto& t = s.m_sensorsSetup;
    const bool variant = isVariant(s);
    clear(out);
    out[0] = fuelLevelWireByte(t.m_fuelFull, t.m_fuelType);
    out[1] = fuelLevelWireByte(t.m_fuelHgw, t.m_fuelType);
    out[2] = fuelLevelWireByte(t.m_fuelHalf, t.m_fuelType);
    out[3] = fuelLevelWireByte(t.m_fuelQuarter, t.m_fuelType);
    out[4] = t.m_fuelType;
    out[5] = t.m_fuelRes;
    out[6] = t.m_lambdaType;
    out[7] = t.m_lambdaEmulatorOn;
    out[8] = secondsToRoundedHalfSecondCode(t.m_lambdaEmulatorDelay);
    out[9] = t.m_lambdaSecond;
    for (std::size_t i = 0; i < kLambdaEmulatorPoints; ++i)
        out[10 + i] = voltsToVoltageCode(t.m_lambdaEmulatorTable[i]);
    out[25] = sensorTypeToWire(t.m_temprEngineSensor, variant);
    out[26] = sensorTypeToWire(t.m_temprLPGSensor, variant);
    out[27] = t.m_fuelSensorType;
}

bool decodeSensorsSetup(std::span<const std::uint8_t> p, CDeviceSettings& s)
{
    if (p.size() < kSensorsSetupBlockSize)
        return false;
    auto& t = s.m_sensorsSetup;
    const bool variant = isVariant(s);
    // The thresholds' orientation follows the fuel type that arrived with them, not the old one.
    const std::uint8_t fuelType = p[4];
    t.m_fuelFull = fuelLevelWireByte(p[0], fuelType);
    t.m_fuelHgw = fuelLevelWireByte(p[1], fuelType);
    t.m_fuelHalf = fuelLevelWireByte(p[2], fuelType);
    t.m_fuelQuarter = fuelLevelWireByte(p[3], fuelType);
    t.m_fuelType = fuelType;
    t.m_fuelRes = p[5];
    t.m_lambdaType = p[6];
    t.m_lambdaEmulatorOn = p[7];
    t.m_lambdaEmulatorDelay = roundedHalfSecondCodeToSeconds(p[8]);
    t.m_lambdaSecond = p[9];
    for (std::size_t i = 0; i < kLambdaEmulatorPoints; ++i)
        t.m_lambdaEmulatorTable[i] = roundHalfAway(voltageCodeToVolts(p[10 + i]), 2);
    t.m_temprEngineSensor = sensorTypeFromWire(p[25], variant);
    t.m_temprLPGSensor = sensorTypeFromWire(p[26], variant);
    t.m_fuelSensorType = p[27];
    return true;
}

// ---- advanced setup ----

void encodeAdvancedSetup(const CDeviceSettings& s, std::span<std::uint8_t, kAdvancedSetupBlockSize> out)
{
    const auto& a = s.m_advancedSetup;
    clear(out);
    putU32(out, 0, a.m_serviceTime);
    putU16(out, 8, rpmToPeriodCode(a.m_minimalLPGRPM));
    out[10] = a.m_switchCorr;
    out[11] = secondsToHalfSecondCode(a.m_switchCorrTime);
    out[12] = a.m_advancedFlags;
    putU16(out, 14, msToFineTimeCode(a.m_maxLoadTime));
}

bool decodeAdvancedSetup(std::span<const std::uint8_t> p, CDeviceSettings& s)
{
    if (p.size() < kAdvancedSetupBlockSize)
        return false;
    auto& a = s.m_advancedSetup;
    a.m_serviceTime = getU32(p, 0);
    a.m_minimalLPGRPM = periodCodeToSettingRpm(getU16(p, 8));
    a.m_switchCorr = p[10];
    a.m_switchCorrTime = halfSecondCodeToWholeSeconds(p[11]);
    a.m_advancedFlags = p[12];
    a.m_maxLoadTime = fineTimeCodeToMs(getU16(p, 14));
    return true;
}

// ---- the fuel map ----

void encodeMap(const CDeviceSettings& s, MapBlock& out)
{
    out.fill(0);
    for (std::size_t r = 0; r < kInjMapRows; ++r)
        for (std::size_t c = 0; c < kInjMapColumns; ++c)
            out[kInjMapColumns * r + c] = percentToByte(s.m_injMapTable[r][c]);
    out[kInjMapRows * kInjMapColumns] = s.m_corrMap.m_flags;
    sealMapBlock(out);
}

void decodeMap(const MapBlock& block, CDeviceSettings& s)
{
    for (std::size_t r = 0; r < kInjMapRows; ++r)
        for (std::size_t c = 0; c < kInjMapColumns; ++c)
            s.m_injMapTable[r][c] = byteToPercent(block[kInjMapColumns * r + c]);
    s.m_corrMap.m_flags = block[kInjMapRows * kInjMapColumns];
}

} // namespace tarvola
