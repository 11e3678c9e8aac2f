#pragma once
// A range of a recording as CSV: one header line (the time column first, then the 24 fields by
// name and unit in the current language), then one line per record. Numbers are in the "C"
// convention (a "." as the decimal point, a "," between columns) whatever the process locale, so the
// file reads the same in every spreadsheet and script; the time has three decimals, each field the
// decimals the recorder writes.

#include <cstddef>
#include <ostream>
#include <string>

#include "monitor/RecordingLoader.h"

namespace tarvola {

// Writes records [first, end) (end clamped to the recording); false when the stream failed.
bool writeRecordingCsv(std::ostream& out, const RecordingData& data, std::size_t first, std::size_t end);

// Writes the CSV to `path` through a temporary file beside it and a rename, so an old file is
// replaced only by a complete one. False (and the old file as it was) when it could not be written.
bool writeRecordingCsvFile(const std::string& path, const RecordingData& data, std::size_t first, std::size_t end);

} // namespace tarvola
