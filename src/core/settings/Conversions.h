#pragma once
// The one home of every rule that turns controller codes into engineering units and back: rounding,
// truncation, engine speed, injection times, pressures, voltages and temperatures. The settings
// record, the live sample, the pages and the files all call these; none keeps a copy of its own.
//
// Encoders never overflow: a value that does not fit the field saturates at the field's limits, and
// NaN encodes as 0. Decoders accept any code.

#include <array>
#include <cstdint>

namespace tarvola {

// Halves away from zero, to `decimals` places (0, 1 or 2).
double roundHalfAway(double value, int decimals = 0);
// Drops the fraction (toward zero).
double truncateTowardZero(double value);

// Saturating casts for encoders: round or truncate first, then clamp to the field.
std::uint8_t saturateU8(double value);
std::uint16_t saturateU16(double value);
std::int8_t saturateS8(double value);

// ---- engine speed: a 16-bit period code, 4 800 000 / rpm ----
std::uint16_t rpmToPeriodCode(double rpm);
// Settings read back in whole hundreds.
double periodCodeToSettingRpm(std::uint16_t code);
// Live engine speed: 4 800 000 / count, and 0 when the count is 0 (engine stopped).
double periodCountToRpm(std::uint16_t count);

// ---- times in 25 µs steps ----
constexpr double kTimeStepMs = 0.025;
std::uint16_t msToTimeCode16(double ms);
std::uint8_t msToTimeCode8(double ms);
// count × 0.025, rounded to `decimals`.
double timeCodeToMs(std::uint32_t code, int decimals);

// ---- pressure byte: code = 255 × (0.004 × kPa + 0.04) ----
double pressureCodeExact(double kPa);
std::uint8_t kPaToPressureCode(double kPa);
// (code / 255 − 0.04) / 0.004, and 0 when that is negative.
double pressureCodeToKPa(double code);
// Absolute manifold pressure of a live sample: with the absolute sensor (bit 4 of the advanced flags)
// (code / 255 + 0.00842) / 0.002421, else 101 − the gas-pressure formula.
double manifoldCodeToKPa(std::uint8_t code, bool absoluteSensor);

// ---- voltages ----
double voltageCodeToVolts(std::uint8_t code);           // code × 5 / 255
double supplyCodeToVolts(std::uint8_t code);            // six times that
std::uint8_t voltsToVoltageCode(double volts);          // round(V × 255 / 5)
std::uint8_t supplyVoltsToCode(double volts);           // round(V / 6 / (5 / 255))

// ---- temperatures: a 256-row table with three sensor characteristics ----
constexpr int kTemperatureColumns = 3;
// The characteristic a sensor byte selects; bytes beyond the table's columns read as the standard
// characteristic 1 rather than indexing outside the table.
int temperatureColumn(std::uint8_t sensorType);
int codeToTemperature(std::uint8_t code, int column);
// The first row whose entry is at or below `celsius`; 0 when the temperature lies below the column.
std::uint8_t temperatureToCode(double celsius, int column);

} // namespace tarvola
