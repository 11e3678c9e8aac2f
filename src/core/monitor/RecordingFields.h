#pragma once
// What the 24 numbers of a recording line are called, in which unit they are and how many decimals
// they carry, and the time at which each record was taken. The window that draws a recording, its
// cursor, the CSV export and the command line's summary all name and time the fields from here.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "monitor/DiagValues.h"

namespace tarvola {

// A recording holds no time stamps. The polling loop pauses before each poll and then exchanges a
// 12-byte request and an 88-byte reply at 38400 baud (ten bits a byte on the wire, about 26 ms),
// so one sample follows the last after the pause plus that exchange: record i was taken
// i × recordingSamplePeriodSeconds() after the first. Rounded to whole milliseconds (0.126 s).
double recordingSamplePeriodSeconds();
double recordTimeSeconds(std::size_t record);
// The record taken nearest to `seconds` after the first (0 for a negative time); not limited to a
// recording's length, the caller clamps.
std::size_t recordAtSeconds(double seconds);

struct RecordingField {
    const char* polishName;  // the dictionary key; "%d" stands for `number`
    int number;              // cylinder or lambda sensor number, 0 when the name has none
    const char* unit;        // "" for the work mode
    int decimals;            // as the recorder writes the field
};

// Field i (0..23) in file order: work mode, engine speed, petrol and gas time of cylinders 1 to 8
// alternating, gas pressure, manifold pressure, gas temperature, reducer temperature, lambda 1, 2.
const RecordingField& recordingField(std::size_t field);
// The field's name in the current language ("Wtrysk benz. 3").
std::string recordingFieldName(std::size_t field);
// The name with its unit in brackets ("Wtrysk benz. 3 [ms]"); the work mode has no unit.
std::string recordingFieldHeader(std::size_t field);
// The time column's heading ("Czas [s]") in the current language.
std::string recordingTimeHeader();
// The value written with the field's decimals in the "C" convention.
std::string recordingValueText(std::size_t field, double value);

// One field at the cursor: what a chart's cursor shows for every channel.
struct FieldReading {
    std::string name;   // translated
    std::string unit;
    double value = 0;
    std::string text;   // value with the field's decimals, "C" convention
};

class RecordingData;
// Every field of record `record` (clamped into the recording); empty for an empty recording.
std::vector<FieldReading> readingsAt(const RecordingData& data, std::size_t record);

} // namespace tarvola
