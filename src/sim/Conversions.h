// Unit conversions as the controller holds its values: period codes for engine speed, 25 µs time
// codes, pressure, voltage and temperature codes, and the sensor temperature table.
//
// The factory contents of the settings blocks and every live sample go through these, so that
// the numbers the tool decodes are the engineering values the engine model means.
#pragma once

#include <cstdint>

namespace tarvola::sim {

// Engine speed travels as the period count 4800000 / rpm.
std::uint16_t rpmPeriodCode(double rpm);
double rpmFromPeriodCode(std::uint16_t code);

// Times in counts of 0.025 ms.
std::uint16_t timeCode25us(double ms);

// Gas (and switch) pressure: code = 255 × (0.004 × kPa + 0.04), saturated to a byte.
std::uint8_t pressureCode(double kPa);
double pressureFromCode(std::uint8_t code);  // negative results read as 0

// Manifold pressure byte of the live sample. With an absolute sensor (bit 4 of the advanced
// flags set) kPa = (code / 255 + 0.00842) / 0.002421, otherwise kPa = 101 − pressureFromCode(code).
std::uint8_t manifoldCode(double kPa, bool absoluteSensor);
double manifoldFromCode(std::uint8_t code, bool absoluteSensor);

// Supply voltage: V = code × 5 / 255 × 6. Plain voltages (lambda): V = code × 5 / 255.
std::uint8_t supplyCode(double volts);
std::uint8_t voltageCode(double volts);

// The sensor temperature table: 256 codes by three sensor characteristics; entries never
// increase down a column.
int temperatureFromCode(std::uint8_t code, int column);
// The first code whose entry is at or below `celsius`; 0 when the temperature is below the
// column's last entry.
std::uint8_t temperatureCode(double celsius, int column);
// Column for a sensor-type byte of the sensor setup block. The variant controller stores 3 where
// the plain one stores 1; unknown values fall back to characteristic 1.
int sensorColumn(std::uint8_t sensorByte);

}  // namespace tarvola::sim
