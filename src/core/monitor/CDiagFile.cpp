#include "monitor/CDiagFile.h"

#include "lang/translate.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>

namespace tarvola {

namespace {

// "%<width>.<precision>f" without the process locale; a rounded "-0" loses its sign.
void appendFixed(std::string& out, double value, int precision, std::size_t width = 0)
{
    char buffer[400]; // any finite double in fixed notation with two decimals fits
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    std::string_view text = ec == std::errc() ? std::string_view(buffer, end - buffer) : std::string_view("0");
    if (text.size() > 1 && text.front() == '-' && text.find_first_not_of("0.", 1) == std::string_view::npos)
        text.remove_prefix(1);
    if (text.size() < width)
        out.append(width - text.size(), ' ');
    out.append(text);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

bool parseRecordLine(std::string_view line, std::array<double, kRecordFields>& fields)
{
    std::size_t count = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        if (isBlank(line[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < line.size() && !isBlank(line[end]))
            ++end;
        if (count == kRecordFields)
            return false;
        const char* first = line.data() + i;
        const char* last = line.data() + end;
        double value = 0;
        const auto [ptr, ec] = std::from_chars(first, last, value);
        // The whole token must be the number; "inf" and "nan" are no values a recorder writes.
        if (ec != std::errc() || ptr != last || !std::isfinite(value))
            return false;
        fields[count++] = value;
        i = end;
    }
    return count == kRecordFields;
}

DiagRecord DiagRecord::fromFields(const std::array<double, kRecordFields>& f)
{
    DiagRecord r;
    r.workMode = f[0];
    r.rpm = f[1];
    for (int c = 0; c < diag::Cylinders; ++c) {
        r.petrolMs[c] = f[2 + 2 * c];
        r.gasMs[c] = f[3 + 2 * c];
    }
    r.gasPressureKPa = f[18];
    r.manifoldKPa = f[19];
    r.gasTempC = f[20];
    r.reducerTempC = f[21];
    r.lambda1Volts = f[22];
    r.lambda2Volts = f[23];
    return r;
}

std::string recordingProblem(std::size_t skippedLines, std::size_t firstSkippedLine, bool truncated, bool readError,
                             std::size_t records)
{
    const auto fill = [](std::string text, std::initializer_list<std::size_t> numbers) {
        for (const std::size_t n : numbers)
            if (const auto at = text.find("%d"); at != std::string::npos)
                text.replace(at, 2, std::to_string(n));
        return text;
    };
    std::string text;
    const auto addLine = [&text](const std::string& more) {
        if (!text.empty())
            text += "\n";
        text += more;
    };
    if (skippedLines > 0)
        addLine(fill(translate("Pominięto uszkodzone wiersze: %d (pierwszy to wiersz %d)."),
                     {skippedLines, firstSkippedLine}));
    if (truncated)
        addLine(fill(translate("Plik jest za długi: wczytano pierwsze %d zapisów."), {records}));
    if (readError)
        addLine(fill(translate("Błąd odczytu pliku: wczytano %d zapisów."), {records}));
    return text;
}

std::string DiagRecording::problem() const
{
    return recordingProblem(skippedLines, firstSkippedLine, truncated, readError, records.size());
}

std::string formatRecordLine(const std::array<double, kRecordFields>& v)
{
    std::string line;
    line.reserve(160);
    char mode[16];
    const auto [end, ec] = std::to_chars(mode, mode + sizeof mode, static_cast<int>(std::lround(v[0])));
    line.append(mode, ec == std::errc() ? end : mode);
    line += '\t';
    appendFixed(line, v[1], 0, 4);
    line += '\t';
    appendFixed(line, v[2], 2, 4);
    for (std::size_t i = 3; i < 18; ++i) {
        line += '\t';
        appendFixed(line, v[i], 2);
    }
    for (std::size_t i = 18; i < 22; ++i) {
        line += '\t';
        appendFixed(line, v[i], 0);
    }
    for (std::size_t i = 22; i < 24; ++i) {
        line += '\t';
        appendFixed(line, v[i], 1);
    }
    line += '\n';
    return line;
}

CDiagFile::~CDiagFile()
{
    close();
}

bool CDiagFile::open(const std::string& path, Mode mode)
{
    close();
    m_mode = mode;
    if (path.empty())
        return false;
    m_file.reset(std::fopen(path.c_str(), mode == Mode::Write ? "w" : "r"));
    if (!m_file)
        return false;
    m_path = path;
    m_writeFailures = 0;
    return true;
}

void CDiagFile::close()
{
    m_file.reset();
    m_path.clear();
}

bool CDiagFile::writeSample(const CDiag& sample, const DiagContext& context)
{
    if (!m_file || m_mode != Mode::Write)
        return false;
    const std::string line = formatRecordLine(recordValues(sample, context));
    const bool written = std::fwrite(line.data(), 1, line.size(), m_file.get()) == line.size() &&
                         std::fflush(m_file.get()) == 0;
    if (!written) {
        ++m_writeFailures;
        std::clearerr(m_file.get());
    }
    return written;
}

DiagRecording CDiagFile::readRecords(std::size_t maxRecords)
{
    DiagRecording out;
    if (!m_file || m_mode != Mode::Read)
        return out;
    std::FILE* f = m_file.get();
    std::string line;
    line.reserve(256);
    bool overlong = false;
    std::size_t lineNumber = 0;
    std::array<double, kRecordFields> fields{};

    // Returns false once the record limit is reached.
    const auto takeLine = [&]() {
        ++lineNumber;
        const bool blank = !overlong && line.find_first_not_of(" \t\r\v\f") == std::string::npos;
        if (!blank) {
            if (!overlong && parseRecordLine(line, fields)) {
                out.records.push_back(DiagRecord::fromFields(fields));
            } else {
                if (out.skippedLines++ == 0)
                    out.firstSkippedLine = lineNumber;
            }
        }
        line.clear();
        overlong = false;
        return out.records.size() < maxRecords;
    };

    if (maxRecords == 0) {
        out.truncated = std::fgetc(f) != EOF;
        return out;
    }
    for (int c = std::fgetc(f); c != EOF; c = std::fgetc(f)) {
        if (c == '\n') {
            if (!takeLine()) {
                // Only more blank text left counts as the whole file read.
                for (int rest = std::fgetc(f); rest != EOF; rest = std::fgetc(f))
                    if (!isBlank(static_cast<char>(rest)) && rest != '\n') {
                        out.truncated = true;
                        break;
                    }
                return out;
            }
        } else if (line.size() < kMaxLineLength) {
            line += static_cast<char>(c);
        } else {
            overlong = true;
        }
    }
    // A last line without its line feed is still a whole record when it holds 24 numbers; after a
    // failed read it may be cut anywhere, even inside its last number, and is not taken.
    out.readError = std::ferror(f) != 0;
    if (!out.readError && (!line.empty() || overlong))
        takeLine();
    return out;
}

bool CDiagFile::readRecording(const std::string& path, DiagRecording& out, std::size_t maxRecords)
{
    CDiagFile file;
    if (!file.open(path, Mode::Read))
        return false;
    out = file.readRecords(maxRecords);
    return true;
}

} // namespace tarvola
