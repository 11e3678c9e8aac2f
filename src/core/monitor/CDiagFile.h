#pragma once
// The recording file (".osc"): one text line per live sample, 24 tab-separated numbers, no header.
// The polling thread writes it; the oscilloscope reads it back. Numbers are written and read in
// the "C" convention whatever the process locale, so a recording made on one machine reads on any.
//
// Not thread-safe: one recorder belongs to one thread (the polling thread that owns it).

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/CDiag.h"
#include "monitor/DiagValues.h"

namespace tarvola {

// One recording line read back, in the fields' own units.
struct DiagRecord {
    double workMode = 0;
    double rpm = 0;
    std::array<double, diag::Cylinders> petrolMs{};
    std::array<double, diag::Cylinders> gasMs{};
    double gasPressureKPa = 0;
    double manifoldKPa = 0;
    double gasTempC = 0;
    double reducerTempC = 0;
    double lambda1Volts = 0;
    double lambda2Volts = 0;

    // From the 24 numbers of a line in file order (see recordValues).
    static DiagRecord fromFields(const std::array<double, kRecordFields>& fields);
};

// What reading a recording gave. Lines that are not 24 numbers are skipped rather than ending the
// playback or shifting every later record; they are counted so the reader can say so.
struct DiagRecording {
    std::vector<DiagRecord> records;
    std::size_t skippedLines = 0;
    std::size_t firstSkippedLine = 0;  // 1-based; 0 when none was skipped
    bool truncated = false;            // reading stopped at the record limit
    bool readError = false;            // the system failed a read: the records before it are kept

    // What the user should be told about the skipped lines, the limit and a read error, in the
    // current language; empty when the whole file was read as records.
    std::string problem() const;
};

// The message about a recording's skipped lines, record limit and read error (see problem()).
std::string recordingProblem(std::size_t skippedLines, std::size_t firstSkippedLine, bool truncated, bool readError,
                             std::size_t records);

// The record line for these 24 values, line feed included:
// "%d\t%4.0f\t%4.2f\t%.2f ... %.2f\t%.0f\t%.0f\t%.0f\t%.0f\t%.1f\t%.1f\n", always with a "." as the
// decimal point, and never a "-0".
std::string formatRecordLine(const std::array<double, kRecordFields>& values);

// The 24 numbers of one record line (without its line feed; blanks around and between numbers are
// allowed); false for anything else: a bad or non-finite number, fewer or more than 24 numbers.
bool parseRecordLine(std::string_view line, std::array<double, kRecordFields>& fields);

class CDiagFile {
public:
    enum class Mode : std::uint8_t { Read = 0, Write = 1 };

    // Longest line the reader takes as a record; a valid line is far shorter (about 150 bytes).
    static constexpr std::size_t kMaxLineLength = 1024;
    // Records read at most (about 2.8 hours at ten samples a second); the rest of the file is left.
    static constexpr std::size_t kMaxRecords = 100000;

    CDiagFile() = default;
    virtual ~CDiagFile();  // closes
    CDiagFile(const CDiagFile&) = delete;
    CDiagFile& operator=(const CDiagFile&) = delete;

    // Opens `path` for writing (created or truncated) or reading; an open file is closed first.
    // False, with no file open and an empty path(), when it cannot be opened; an empty path and the
    // no-recording path "\" are refused without touching the file system.
    bool open(const std::string& path, Mode mode);
    bool isOpen() const { return m_file != nullptr; }
    Mode mode() const { return m_mode; }
    const std::string& path() const { return m_path; }
    // Closes an open file and empties path(); closing a closed file does nothing.
    void close();

    // Appends the sample's record line and flushes it, so that a crash or a cut cable loses at most
    // the line being written. False when the file is not open for writing or the write failed;
    // polling goes on either way, and writeFailures() counts the lost lines.
    bool writeSample(const CDiag& sample, const DiagContext& context);
    std::size_t writeFailures() const { return m_writeFailures; }

    // Reads the rest of a file opened for reading: every line of 24 numbers becomes a record, the
    // last one also without a final line feed; blank lines are ignored; any other line (a bad
    // number, too few or too many numbers, longer than kMaxLineLength) is skipped and counted.
    // Stops after `maxRecords` records. A file not open for reading gives nothing.
    DiagRecording readRecords(std::size_t maxRecords = kMaxRecords);

    // Opens, reads and closes `path`. False when it cannot be opened.
    static bool readRecording(const std::string& path, DiagRecording& out, std::size_t maxRecords = kMaxRecords);

private:
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };

    Mode m_mode = Mode::Read;
    std::unique_ptr<std::FILE, FileCloser> m_file;
    std::string m_path;
    std::size_t m_writeFailures = 0;
};

} // namespace tarvola
