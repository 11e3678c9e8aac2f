#include "monitor/RecordingLoader.h"

#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#include "lang/translate.h"
#include "monitor/CDiagFile.h"
#include "monitor/RecordingFields.h"

namespace tarvola {

namespace {

constexpr std::size_t kBlockBytes = 256 * 1024;
// A record line takes 100 to 150 bytes; a guess on the short side sizes the columns once, and
// they are trimmed to the records read at the end.
constexpr std::uint64_t kBytesPerRecordGuess = 90;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

float toFloat(double value)
{
    return static_cast<float>(std::clamp(value, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
}

// Takes lines one at a time and keeps the counts of the load.
class LineSink {
public:
    LineSink(RecordingLoad& out, std::size_t maxRecords) : m_out(out), m_max(maxRecords) {}

    // False once the record limit is reached.
    bool take(std::string_view line, bool overlong)
    {
        ++m_lineNumber;
        if (!overlong && line.find_first_not_of(" \t\r\v\f") == std::string_view::npos)
            return true;
        if (!overlong && parseRecordLine(line, m_fields)) {
            m_out.data.append(m_fields);
            return m_out.data.size() < m_max;
        }
        if (m_out.skippedLines++ == 0)
            m_out.firstSkippedLine = m_lineNumber;
        return true;
    }

private:
    RecordingLoad& m_out;
    std::size_t m_max;
    std::size_t m_lineNumber = 0;
    std::array<double, kRecordFields> m_fields{};
};

} // namespace

void RecordingData::reserve(std::size_t records)
{
    for (auto& column : m_columns)
        column.reserve(records);
}

void RecordingData::append(const std::array<double, kRecordFields>& fields)
{
    for (std::size_t f = 0; f < kRecordFields; ++f)
        m_columns[f].push_back(toFloat(fields[f]));
}

void RecordingData::shrinkToFit()
{
    for (auto& column : m_columns)
        column.shrink_to_fit();
}

std::size_t RecordingData::memoryBytes() const
{
    std::size_t bytes = 0;
    for (const auto& column : m_columns)
        bytes += column.capacity() * sizeof(float);
    return bytes;
}

RecordingSummary summarize(const RecordingData& data, std::size_t first, std::size_t end)
{
    RecordingSummary s;
    end = std::min(end, data.size());
    if (first >= end)
        return s;
    s.records = end - first;
    s.durationSeconds = static_cast<double>(s.records) * recordingSamplePeriodSeconds();
    for (std::size_t f = 0; f < kRecordFields; ++f) {
        const std::vector<float>& column = data.column(f);
        double sum = 0;
        float lo = column[first];
        float hi = column[first];
        for (std::size_t i = first; i < end; ++i) {
            lo = std::min(lo, column[i]);
            hi = std::max(hi, column[i]);
            sum += column[i];
        }
        s.fields[f] = {lo, sum / static_cast<double>(s.records), hi};
    }
    return s;
}

std::string RecordingLoad::problem() const
{
    switch (status) {
    case Status::CannotOpen:
        return translate("Nie można odczytać pliku.");
    case Status::NotRecording:
        return translate("Ten plik nie jest zapisem oscyloskopu.");
    case Status::Cancelled:
        return {};
    case Status::Loaded:
        break;
    }
    return recordingProblem(skippedLines, firstSkippedLine, truncated, readError, data.size());
}

RecordingLoad RecordingLoader::load(const std::string& path, std::size_t maxRecords, const std::atomic<bool>* cancel,
                                    std::atomic<std::uint64_t>* bytesRead, std::atomic<std::uint64_t>* totalBytes)
{
    RecordingLoad out;
    std::unique_ptr<std::FILE, FileCloser> file(path.empty() ? nullptr : std::fopen(path.c_str(), "rb"));
    if (!file) {
        out.status = RecordingLoad::Status::CannotOpen;
        return out;
    }
    std::uint64_t size = 0;
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        const long end = std::ftell(file.get());
        size = end > 0 ? static_cast<std::uint64_t>(end) : 0;
    }
    std::rewind(file.get());
    if (totalBytes)
        *totalBytes = size;
    out.data.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(maxRecords, size / kBytesPerRecordGuess + 1)));

    LineSink sink(out, maxRecords);
    std::vector<char> block(kBlockBytes);
    std::string pending;  // a line cut by the block's end, at most one record's worth
    bool overlong = false;
    bool full = maxRecords == 0;
    std::uint64_t done = 0;
    std::string_view rest;
    while (!full) {
        if (cancel && *cancel) {
            out = RecordingLoad{};
            out.status = RecordingLoad::Status::Cancelled;
            return out;
        }
        const std::size_t got = std::fread(block.data(), 1, block.size(), file.get());
        if (got == 0)
            break;
        done += got;
        rest = std::string_view(block.data(), got);
        while (!full) {
            const std::size_t feed = rest.find('\n');
            if (feed == std::string_view::npos) {
                const std::size_t room = CDiagFile::kMaxLineLength - std::min(pending.size(), CDiagFile::kMaxLineLength);
                overlong = overlong || rest.size() > room;
                pending.append(rest.substr(0, std::min(rest.size(), room)));
                break;
            }
            const std::string_view piece = rest.substr(0, feed);
            rest.remove_prefix(feed + 1);
            if (pending.empty() && !overlong) {
                full = !sink.take(piece, piece.size() > CDiagFile::kMaxLineLength);
            } else {
                overlong = overlong || pending.size() + piece.size() > CDiagFile::kMaxLineLength;
                if (!overlong)
                    pending.append(piece);
                full = !sink.take(pending, overlong);
                pending.clear();
                overlong = false;
            }
        }
        if (bytesRead)
            *bytesRead = done;
        if (out.data.empty() && done >= kRecordlessBytes)
            break;
    }
    if (full) {
        // Only blank text after the last record counts as the whole file read.
        out.truncated = rest.find_first_not_of(" \t\r\n\v\f") != std::string_view::npos;
        // (a file that goes on blank past the next block is taken as ended)
        std::size_t looked = 0;
        for (int c = out.truncated ? EOF : std::fgetc(file.get()); c != EOF && looked++ < kBlockBytes;
             c = std::fgetc(file.get()))
            if (c == 0 || !std::strchr(" \t\r\n\v\f", c)) {
                out.truncated = true;
                break;
            }
    } else {
        // A last line without its line feed is still a whole record; after a failed read it may be
        // cut anywhere, even inside its last number, and is not taken.
        out.readError = std::ferror(file.get()) != 0;
        if (!out.readError && (!pending.empty() || overlong))
            sink.take(pending, overlong);
    }
    if (bytesRead)
        *bytesRead = size;
    out.data.shrinkToFit();
    if (out.data.empty())
        out.status = out.readError ? RecordingLoad::Status::CannotOpen : RecordingLoad::Status::NotRecording;
    return out;
}

RecordingLoader::~RecordingLoader()
{
    stop();
}

void RecordingLoader::stop()
{
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
    m_cancel = false;
    m_finished = false;
}

void RecordingLoader::start(const std::string& path, std::size_t maxRecords)
{
    stop();
    m_result = RecordingLoad{};
    m_bytesRead = 0;
    m_totalBytes = 0;
    m_worker = std::thread([this, path, maxRecords] {
        m_result = load(path, maxRecords, &m_cancel, &m_bytesRead, &m_totalBytes);
        m_finished = true;
    });
}

double RecordingLoader::progress() const
{
    const std::uint64_t total = m_totalBytes;
    return total == 0 ? (m_finished ? 1.0 : 0.0) : std::min(1.0, static_cast<double>(m_bytesRead) / static_cast<double>(total));
}

RecordingLoad RecordingLoader::take()
{
    if (m_worker.joinable())
        m_worker.join();
    m_finished = false;
    m_cancel = false;
    return std::move(m_result);
}

} // namespace tarvola
