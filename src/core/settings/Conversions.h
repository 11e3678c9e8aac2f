#pragma once
// The one home of every rule that turns controller codes into engineering units and back: rounding,
// truncation, engine speed, injection times, delays, pressures, voltages, temperatures and the
// byte-coded percentages. The settings record, the live sample, the pages and the files all call
// these; none keeps a copy of its own.
//
// Each scaled encoder comes in two layers. The "...Raw" function applies the field's rule (round or
// truncate) without any limit and returns the code as a double: the settings keys use it to refuse a
// value its field cannot carry. The encoder proper saturates that code at the field's limits, so an
// absurd record value (1e300, a negative, NaN) never overflows: NaN encodes as 0, anything else as
// the nearest code the field can hold. Decoders accept any code.

#include <cstdint>

namespace tarvola {

// Halves away from zero, to `decimals` places (0, 1 or 2). Non-finite values pass through.
double roundHalfAway(double value, int decimals = 0);
// Drops the fraction (toward zero).
double truncateTowardZero(double value);

// Saturating casts for encoders: the value is clamped to the field, then its fraction dropped.
// NaN gives 0.
std::uint8_t saturateU8(double value);
std::uint16_t saturateU16(double value);
std::int8_t saturateS8(double value);
// True when `code` is a number within lo..hi (NaN never is).
bool codeFits(double code, double lo, double hi);

// ---- engine speed: a 16-bit period code, 4 800 000 / rpm ----
// round(4 800 000 / rpm); infinite or negative for a speed that is not positive.
double rpmPeriodCodeRaw(double rpm);
// Saturates to 1..65535; a speed that is not positive (or NaN) is the slowest code, 65535.
std::uint16_t rpmToPeriodCode(double rpm);
// Settings read back in whole hundreds; code 0 reads as 0.
double periodCodeToSettingRpm(std::uint16_t code);
// Live engine speed: 4 800 000 / count, and 0 when the count is 0 (engine stopped).
double periodCountToRpm(std::uint16_t count);

// ---- times in 25 µs steps ----
constexpr double kTimeStepMs = 0.025;
double timeCodeRaw(double ms); // round(ms / 0.025)
std::uint16_t msToTimeCode16(double ms);
std::uint8_t msToTimeCode8(double ms);
// count × 0.025, rounded to `decimals`.
double timeCodeToMs(std::uint32_t code, int decimals);

// ---- times in 4 µs steps (main corrections, load limit) ----
constexpr double kFineTimeStepMs = 0.004;
double fineTimeCodeRaw(double ms); // round(ms / 0.004)
std::uint16_t msToFineTimeCode(double ms);
double fineTimeCodeToMs(std::uint16_t code); // code × 0.004, to 0.01
// The main corrections may be negative (down to −3 ms): the same steps in a two's-complement
// 16-bit field, saturating at −32768 … 32767.
std::uint16_t msToSignedFineTimeCode(double ms);
double signedFineTimeCodeToMs(std::uint16_t code);

// ---- delays in seconds ----
// Half-second codes written by truncation: truncate(s × 2).
double halfSecondCodeRaw(double seconds);
std::uint8_t secondsToHalfSecondCode(double seconds);
double halfSecondCodeToWholeSeconds(std::uint8_t code); // code shifted right by one
double halfSecondCodeToSeconds(std::uint8_t code);      // code / 2
// Half-second codes written by rounding: round(s × 2); read / 2 to 0.1.
double roundedHalfSecondCodeRaw(double seconds);
std::uint8_t secondsToRoundedHalfSecondCode(double seconds);
double roundedHalfSecondCodeToSeconds(std::uint8_t code);
// 25 ms steps: round(s × 1000 / 25); read × 25 / 1000 to 0.01.
double delayCodeRaw(double seconds);
std::uint8_t secondsToDelayCode(double seconds);
double delayCodeToSeconds(std::uint8_t code);

// ---- pressure byte: code = 255 × (0.004 × kPa + 0.04) ----
double pressureCodeExact(double kPa);
double pressureCodeRaw(double kPa); // round(pressureCodeExact)
std::uint8_t kPaToPressureCode(double kPa);
// (code / 255 − 0.04) / 0.004, and 0 when that is negative.
double pressureCodeToKPa(double code);
// The same rounded to whole kPa, as settings read back: codes 0..10 give 0, code 255 gives 240.
double pressureCodeToSettingKPa(std::uint8_t code);
// Absolute manifold pressure of a live sample: with the absolute sensor (bit 4 of the advanced flags)
// (code / 255 + 0.00842) / 0.002421, else 101 − the gas-pressure formula.
double manifoldCodeToKPa(std::uint8_t code, bool absoluteSensor);

// ---- scaled bytes ----
// Pressure gain: truncate(× 10) into a signed byte; read as signed byte / 10.
double pressureGainCodeRaw(double gain);
std::uint8_t pressureGainToCode(double gain);
double pressureGainCodeToValue(std::uint8_t code);
// Tenths: round(× 10); read / 10.
double tenthsCodeRaw(double value);
std::uint8_t tenthsToCode(double value);
double tenthsCodeToValue(std::uint8_t code);
// Fifths: round(× 5); read / 5 to 0.1.
double fifthsCodeRaw(double value);
std::uint8_t fifthsToCode(double value);
double fifthsCodeToValue(std::uint8_t code);

// ---- voltages ----
double voltageCodeToVolts(std::uint8_t code); // code × 5 / 255
double supplyCodeToVolts(std::uint8_t code);  // six times that
double voltageCodeRaw(double volts);          // round(V × 255 / 5)
double supplyVoltageCodeRaw(double volts);    // round(V / 6 / (5 / 255))
std::uint8_t voltsToVoltageCode(double volts);
std::uint8_t supplyVoltsToCode(double volts);

// ---- injector PWM: the value less 10 when it is above 10 (truncated); read as code + 10 ----
// A value of 10 or less therefore reads back 10 higher: the controller's own convention.
double pwmCodeRaw(double pwm);
std::uint8_t pwmToCode(double pwm);
double pwmCodeToValue(std::uint8_t code);

// ---- percentages as value + 100 in one byte (setup times, map cells) ----
double percentByteRaw(double percent); // truncate(percent + 100)
std::uint8_t percentToByte(double percent);
double byteToPercent(std::uint8_t code); // code − 100

// ---- sensor setup bytes ----
// Fuel level thresholds travel as 255 minus the value when the fuel type is 1 (both ways).
std::uint8_t fuelLevelWireByte(std::uint8_t value, std::uint8_t fuelType);
// The variant controller keeps sensor characteristic 1 as code 3.
std::uint8_t sensorTypeToWire(std::uint8_t sensorType, bool variant);
std::uint8_t sensorTypeFromWire(std::uint8_t code, bool variant);

// ---- temperatures: a 256-row table with three sensor characteristics ----
constexpr int kTemperatureColumns = 3;
// The hottest and coldest entries of all three columns together.
constexpr int kTemperatureTableMax = 255;
constexpr int kTemperatureTableMin = -47;
// The characteristic a sensor byte selects; bytes beyond the table's columns read as the standard
// characteristic 1 rather than indexing outside the table.
int temperatureColumn(std::uint8_t sensorType);
int codeToTemperature(std::uint8_t code, int column);
// The first row whose entry is at or below `celsius`. A temperature colder than the whole column
// saturates at the coldest code, 255 (NaN gives 0).
std::uint8_t temperatureToCode(double celsius, int column);

} // namespace tarvola
