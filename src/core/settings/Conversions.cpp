#include "settings/Conversions.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarvola {

namespace {
// Rows are raw codes 0..255; columns the sensor characteristics 0, 1 and 2. Entries are whole
// degrees and never rise down a column.
constexpr std::int16_t kTemperatureTable[256][kTemperatureColumns] = {
    {209, 255, 203}, {203, 255, 184}, {198, 255, 169}, {192, 255, 156}, {187, 255, 145}, {182, 255, 135}, {177, 255, 128}, {173, 255, 121},
    {168, 237, 116}, {164, 190, 112}, {160, 157, 108}, {156, 134, 104}, {152, 120, 101}, {148, 110, 98}, {144, 102, 96}, {141, 96, 93},
    {138, 91, 91}, {135, 87, 89}, {132, 83, 87}, {129, 80, 85}, {126, 77, 83}, {123, 74, 82}, {121, 72, 80}, {118, 69, 79},
    {116, 67, 77}, {114, 65, 76}, {111, 63, 75}, {109, 62, 73}, {107, 60, 72}, {106, 59, 71}, {104, 57, 70}, {102, 56, 69},
    {100, 55, 68}, {99, 53, 67}, {97, 52, 66}, {96, 51, 65}, {94, 50, 64}, {93, 49, 63}, {92, 48, 62}, {91, 47, 61},
    {89, 46, 60}, {88, 45, 60}, {87, 44, 59}, {86, 43, 58}, {85, 42, 57}, {84, 41, 57}, {83, 41, 56}, {82, 40, 55},
    {81, 39, 54}, {80, 38, 54}, {79, 38, 53}, {78, 37, 52}, {77, 36, 52}, {77, 36, 51}, {76, 35, 50}, {75, 34, 50},
    {74, 34, 49}, {73, 33, 49}, {73, 32, 48}, {72, 32, 47}, {71, 31, 47}, {70, 31, 46}, {70, 30, 46}, {69, 29, 45},
    {68, 29, 45}, {68, 28, 44}, {67, 28, 44}, {66, 27, 43}, {66, 27, 43}, {65, 26, 42}, {64, 26, 42}, {64, 25, 41},
    {63, 25, 41}, {63, 24, 40}, {62, 24, 40}, {61, 23, 39}, {61, 23, 39}, {60, 22, 38}, {60, 22, 38}, {59, 22, 37},
    {59, 21, 37}, {58, 21, 37}, {58, 20, 36}, {57, 20, 36}, {57, 19, 35}, {56, 19, 35}, {55, 19, 34}, {55, 18, 34},
    {54, 18, 34}, {54, 17, 33}, {53, 17, 33}, {53, 17, 32}, {53, 16, 32}, {52, 16, 31}, {52, 15, 31}, {51, 15, 31},
    {51, 15, 30}, {50, 14, 30}, {50, 14, 29}, {49, 13, 29}, {49, 13, 29}, {48, 13, 28}, {48, 12, 28}, {47, 12, 28},
    {47, 12, 27}, {47, 11, 27}, {46, 11, 26}, {46, 11, 26}, {45, 10, 26}, {45, 10, 25}, {44, 9, 25}, {44, 9, 25},
    {44, 9, 24}, {43, 8, 24}, {43, 8, 24}, {42, 8, 23}, {42, 7, 23}, {41, 7, 22}, {41, 7, 22}, {41, 6, 22},
    {40, 6, 21}, {40, 6, 21}, {39, 5, 21}, {39, 5, 20}, {39, 5, 20}, {38, 4, 20}, {38, 4, 19}, {37, 4, 19},
    {37, 3, 19}, {37, 3, 18}, {36, 3, 18}, {36, 2, 18}, {35, 2, 17}, {35, 2, 17}, {35, 1, 17}, {34, 1, 16},
    {34, 1, 16}, {33, 1, 16}, {33, 0, 15}, {33, 0, 15}, {32, 0, 15}, {32, -1, 14}, {31, -1, 14}, {31, -1, 13},
    {31, -2, 13}, {30, -2, 13}, {30, -2, 12}, {30, -3, 12}, {29, -3, 12}, {29, -3, 11}, {28, -4, 11}, {28, -4, 11},
    {28, -4, 10}, {27, -5, 10}, {27, -5, 10}, {26, -5, 9}, {26, -6, 9}, {26, -6, 9}, {25, -6, 8}, {25, -7, 8},
    {24, -7, 8}, {24, -7, 7}, {24, -7, 7}, {23, -8, 7}, {23, -8, 6}, {23, -8, 6}, {22, -9, 6}, {22, -9, 5},
    {21, -9, 5}, {21, -10, 5}, {21, -10, 4}, {20, -10, 4}, {20, -11, 3}, {19, -11, 3}, {19, -11, 3}, {19, -12, 2},
    {18, -12, 2}, {18, -12, 2}, {17, -13, 1}, {17, -13, 1}, {16, -13, 1}, {16, -14, 0}, {16, -14, 0}, {15, -15, -1},
    {15, -15, -1}, {14, -15, -1}, {14, -16, -2}, {14, -16, -2}, {13, -16, -3}, {13, -17, -3}, {12, -17, -3}, {12, -17, -4},
    {11, -18, -4}, {11, -18, -5}, {10, -18, -5}, {10, -19, -5}, {9, -19, -6}, {9, -20, -6}, {9, -20, -7}, {8, -20, -7},
    {8, -21, -7}, {7, -21, -8}, {7, -22, -8}, {6, -22, -9}, {6, -22, -9}, {5, -23, -10}, {5, -23, -10}, {4, -23, -11},
    {4, -24, -11}, {3, -24, -12}, {2, -25, -12}, {2, -25, -13}, {1, -26, -13}, {1, -26, -14}, {0, -26, -14}, {0, -27, -15},
    {-1, -27, -15}, {-2, -28, -16}, {-2, -28, -16}, {-3, -29, -17}, {-3, -29, -17}, {-4, -29, -18}, {-5, -30, -18}, {-5, -30, -19},
    {-6, -31, -19}, {-7, -31, -20}, {-7, -32, -21}, {-8, -32, -21}, {-9, -33, -22}, {-10, -33, -22}, {-10, -34, -23}, {-11, -34, -24},
    {-12, -35, -24}, {-13, -35, -25}, {-14, -36, -25}, {-15, -36, -26}, {-15, -37, -27}, {-16, -37, -27}, {-17, -38, -28}, {-18, -38, -29},
    {-19, -39, -30}, {-20, -39, -30}, {-21, -40, -31}, {-22, -40, -32}, {-23, -41, -32}, {-24, -41, -33}, {-25, -42, -34}, {-26, -42, -35},
    {-27, -43, -35}, {-29, -43, -36}, {-30, -44, -37}, {-31, -45, -38}, {-32, -45, -39}, {-33, -46, -39}, {-35, -46, -40}, {-36, -47, -41},
};
double clampTo(double value, double lo, double hi)
{
    if (std::isnan(value))
        return 0;
    return std::min(std::max(value, lo), hi);
}
} // namespace

double roundHalfAway(double value, int decimals)
{
    if (!std::isfinite(value))
        return value;
    const double scale = decimals == 0 ? 1.0 : decimals == 1 ? 10.0 : 100.0;
    // Scaled values such as 0.35 * 10 = 3.4999999999999996 must still round up: nudge by a few ulps.
    const double scaled = value * scale;
    const double nudged = scaled + std::copysign(std::abs(scaled) * 4 * std::numeric_limits<double>::epsilon(), scaled);
    return std::round(nudged) / scale;
}

double truncateTowardZero(double value)
{
    return std::trunc(value);
}

std::uint8_t saturateU8(double value)
{
    return static_cast<std::uint8_t>(clampTo(value, 0, 255));
}

std::uint16_t saturateU16(double value)
{
    return static_cast<std::uint16_t>(clampTo(value, 0, 65535));
}

std::int8_t saturateS8(double value)
{
    return static_cast<std::int8_t>(clampTo(value, -128, 127));
}

bool codeFits(double code, double lo, double hi)
{
    return code >= lo && code <= hi;
}

// ---- engine speed ----

double rpmPeriodCodeRaw(double rpm)
{
    return roundHalfAway(4800000.0 / rpm);
}

std::uint16_t rpmToPeriodCode(double rpm)
{
    if (!(rpm > 0))
        return 65535; // the slowest speed the field can say
    // Code 0 would stand for an infinite speed; the fastest speed the field can say is code 1.
    return static_cast<std::uint16_t>(clampTo(rpmPeriodCodeRaw(rpm), 1, 65535));
}

double periodCodeToSettingRpm(std::uint16_t code)
{
    if (code == 0)
        return 0;
    return roundHalfAway(4800000.0 / code / 100.0) * 100.0;
}

double periodCountToRpm(std::uint16_t count)
{
    return count == 0 ? 0.0 : 4800000.0 / count;
}

// ---- times ----

double timeCodeRaw(double ms)
{
    return roundHalfAway(ms / kTimeStepMs);
}

std::uint16_t msToTimeCode16(double ms)
{
    return saturateU16(timeCodeRaw(ms));
}

std::uint8_t msToTimeCode8(double ms)
{
    return saturateU8(timeCodeRaw(ms));
}

double timeCodeToMs(std::uint32_t code, int decimals)
{
    return roundHalfAway(code * kTimeStepMs, decimals);
}

double fineTimeCodeRaw(double ms)
{
    return roundHalfAway(ms / kFineTimeStepMs);
}

std::uint16_t msToFineTimeCode(double ms)
{
    return saturateU16(fineTimeCodeRaw(ms));
}

double fineTimeCodeToMs(std::uint16_t code)
{
    return roundHalfAway(code * kFineTimeStepMs, 2);
}

std::uint16_t msToSignedFineTimeCode(double ms)
{
    const double code = fineTimeCodeRaw(ms);
    if (std::isnan(code))
        return 0;
    return static_cast<std::uint16_t>(static_cast<std::int16_t>(std::clamp(code, -32768.0, 32767.0)));
}

double signedFineTimeCodeToMs(std::uint16_t code)
{
    return roundHalfAway(static_cast<std::int16_t>(code) * kFineTimeStepMs, 2);
}

// ---- delays ----

double halfSecondCodeRaw(double seconds)
{
    return truncateTowardZero(seconds * 2);
}

std::uint8_t secondsToHalfSecondCode(double seconds)
{
    return saturateU8(halfSecondCodeRaw(seconds));
}

double halfSecondCodeToWholeSeconds(std::uint8_t code)
{
    return code >> 1;
}

double halfSecondCodeToSeconds(std::uint8_t code)
{
    return code / 2.0;
}

double roundedHalfSecondCodeRaw(double seconds)
{
    return roundHalfAway(seconds * 2);
}

std::uint8_t secondsToRoundedHalfSecondCode(double seconds)
{
    return saturateU8(roundedHalfSecondCodeRaw(seconds));
}

double roundedHalfSecondCodeToSeconds(std::uint8_t code)
{
    return roundHalfAway(code / 2.0, 1);
}

double delayCodeRaw(double seconds)
{
    return roundHalfAway(seconds * 1000.0 / 25.0);
}

std::uint8_t secondsToDelayCode(double seconds)
{
    return saturateU8(delayCodeRaw(seconds));
}

double delayCodeToSeconds(std::uint8_t code)
{
    return roundHalfAway(code * 25.0 / 1000.0, 2);
}

// ---- pressure ----

double pressureCodeExact(double kPa)
{
    return 255.0 * (0.004 * kPa + 0.04);
}

double pressureCodeRaw(double kPa)
{
    return roundHalfAway(pressureCodeExact(kPa));
}

std::uint8_t kPaToPressureCode(double kPa)
{
    return saturateU8(pressureCodeRaw(kPa));
}

double pressureCodeToKPa(double code)
{
    const double kPa = (code / 255.0 - 0.04) / 0.004;
    return kPa < 0 ? 0.0 : kPa;
}

double pressureCodeToSettingKPa(std::uint8_t code)
{
    return roundHalfAway(pressureCodeToKPa(code));
}

double manifoldCodeToKPa(std::uint8_t code, bool absoluteSensor)
{
    if (absoluteSensor)
        return (code / 255.0 + 0.00842) / 0.002421;
    return 101.0 - pressureCodeToKPa(code);
}

// ---- scaled bytes ----

double pressureGainCodeRaw(double gain)
{
    return truncateTowardZero(gain * 10);
}

std::uint8_t pressureGainToCode(double gain)
{
    // The controller reads the byte as two's complement.
    return static_cast<std::uint8_t>(saturateS8(pressureGainCodeRaw(gain)));
}

double pressureGainCodeToValue(std::uint8_t code)
{
    return static_cast<std::int8_t>(code) / 10.0;
}

double tenthsCodeRaw(double value)
{
    return roundHalfAway(value * 10);
}

std::uint8_t tenthsToCode(double value)
{
    return saturateU8(tenthsCodeRaw(value));
}

double tenthsCodeToValue(std::uint8_t code)
{
    return code / 10.0;
}

double fifthsCodeRaw(double value)
{
    return roundHalfAway(value * 5);
}

std::uint8_t fifthsToCode(double value)
{
    return saturateU8(fifthsCodeRaw(value));
}

double fifthsCodeToValue(std::uint8_t code)
{
    return roundHalfAway(code / 5.0, 1);
}

// ---- voltages ----

double voltageCodeToVolts(std::uint8_t code)
{
    return code * 5.0 / 255.0;
}

double supplyCodeToVolts(std::uint8_t code)
{
    return voltageCodeToVolts(code) * 6.0;
}

double voltageCodeRaw(double volts)
{
    return roundHalfAway(volts * 255.0 / 5.0);
}

double supplyVoltageCodeRaw(double volts)
{
    return roundHalfAway(volts / 6.0 / (5.0 / 255.0));
}

std::uint8_t voltsToVoltageCode(double volts)
{
    return saturateU8(voltageCodeRaw(volts));
}

std::uint8_t supplyVoltsToCode(double volts)
{
    return saturateU8(supplyVoltageCodeRaw(volts));
}

// ---- PWM ----

double pwmCodeRaw(double pwm)
{
    return truncateTowardZero(pwm > 10 ? pwm - 10 : pwm);
}

std::uint8_t pwmToCode(double pwm)
{
    return saturateU8(pwmCodeRaw(pwm));
}

double pwmCodeToValue(std::uint8_t code)
{
    return code + 10.0;
}

// ---- percentages ----

double percentByteRaw(double percent)
{
    return truncateTowardZero(percent + 100);
}

std::uint8_t percentToByte(double percent)
{
    return saturateU8(percentByteRaw(percent));
}

double byteToPercent(std::uint8_t code)
{
    return code - 100.0;
}

// ---- sensor setup bytes ----

std::uint8_t fuelLevelWireByte(std::uint8_t value, std::uint8_t fuelType)
{
    return fuelType == 1 ? static_cast<std::uint8_t>(255 - value) : value;
}

std::uint8_t sensorTypeToWire(std::uint8_t sensorType, bool variant)
{
    return variant && sensorType == 1 ? 3 : sensorType;
}

std::uint8_t sensorTypeFromWire(std::uint8_t code, bool variant)
{
    return variant && code == 3 ? 1 : code;
}

// ---- temperatures ----

int temperatureColumn(std::uint8_t sensorType)
{
    return sensorType < kTemperatureColumns ? sensorType : 1;
}

int codeToTemperature(std::uint8_t code, int column)
{
    return kTemperatureTable[code][std::clamp(column, 0, kTemperatureColumns - 1)];
}

std::uint8_t temperatureToCode(double celsius, int column)
{
    if (std::isnan(celsius))
        return 0;
    const int c = std::clamp(column, 0, kTemperatureColumns - 1);
    for (int row = 0; row < 256; ++row)
        if (kTemperatureTable[row][c] <= celsius)
            return static_cast<std::uint8_t>(row);
    // Colder than the sensor can say: the coldest code, not code 0 (which would read as the hottest).
    return 255;
}

} // namespace tarvola
