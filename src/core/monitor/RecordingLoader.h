#pragma once
// A whole recording in memory, and the loader that reads it from a worker thread.
//
// RecordingData keeps the 24 fields as columns of floats: the recorder writes at most two decimals,
// which a float holds exactly enough, and 96 bytes a record let a full day's recording stay in
// memory. The loader reads the file in blocks, says how far it got, stops when asked, and never
// lets a damaged, binary or endless file run it out of memory: lines longer than a record can be
// are skipped, and reading stops at kMaxRecords.
//
// Threads: RecordingData is a plain value. RecordingLoader's progress(), finished() and cancel()
// may be called from any thread while its worker runs; take() only once finished() is true.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "monitor/DiagValues.h"

namespace tarvola {

class RecordingData {
public:
    std::size_t size() const { return m_columns[0].size(); }
    bool empty() const { return size() == 0; }
    float value(std::size_t field, std::size_t record) const { return m_columns[field][record]; }
    const std::vector<float>& column(std::size_t field) const { return m_columns[field]; }

    void reserve(std::size_t records);
    void append(const std::array<double, kRecordFields>& fields);
    void shrinkToFit();
    // Bytes the columns hold (their capacity).
    std::size_t memoryBytes() const;

private:
    std::array<std::vector<float>, kRecordFields> m_columns;
};

struct FieldSummary {
    double minimum = 0;
    double mean = 0;
    double maximum = 0;
};

struct RecordingSummary {
    std::size_t records = 0;
    double durationSeconds = 0;  // records × the sample period
    std::array<FieldSummary, kRecordFields> fields{};
};

// Records [first, end) of `data` (end clamped to its size); all zeros for an empty range.
RecordingSummary summarize(const RecordingData& data, std::size_t first = 0,
                           std::size_t end = std::numeric_limits<std::size_t>::max());

struct RecordingLoad {
    enum class Status { Loaded, CannotOpen, NotRecording, Cancelled };
    Status status = Status::Loaded;
    RecordingData data;
    std::size_t skippedLines = 0;
    std::size_t firstSkippedLine = 0;  // 1-based; 0 when none was skipped
    bool truncated = false;            // stopped at the record limit with more records in the file
    bool readError = false;            // the system failed a read: the records before it are kept

    // What the user should be told, in the current language, one sentence a line: why nothing was
    // loaded, or the skipped lines, the limit and a read error of a loaded file. Empty when the
    // whole file was read as records.
    std::string problem() const;
};

class RecordingLoader {
public:
    // 1 000 000 records: 35 hours of recording, 96 MB of columns.
    static constexpr std::size_t kMaxRecords = 1'000'000;
    // A file that has given no record in its first MiB is no recording; reading stops there.
    static constexpr std::uint64_t kRecordlessBytes = 1 << 20;

    RecordingLoader() = default;
    ~RecordingLoader();  // cancels and waits for the worker
    RecordingLoader(const RecordingLoader&) = delete;
    RecordingLoader& operator=(const RecordingLoader&) = delete;

    // Reads `path` on the calling thread. `cancel` is polled between blocks; `bytesRead` (when given)
    // follows the bytes read so far and `totalBytes` receives the file's size first.
    static RecordingLoad load(const std::string& path, std::size_t maxRecords = kMaxRecords,
                              const std::atomic<bool>* cancel = nullptr, std::atomic<std::uint64_t>* bytesRead = nullptr,
                              std::atomic<std::uint64_t>* totalBytes = nullptr);

    // Starts reading `path` on a worker thread; a load still running is cancelled first.
    void start(const std::string& path, std::size_t maxRecords = kMaxRecords);
    bool running() const { return m_worker.joinable() && !m_finished; }
    bool finished() const { return m_finished; }
    // 0..1: bytes read of the file's size.
    double progress() const;
    void cancel() { m_cancel = true; }
    // The result once finished(); the loader is then idle again.
    RecordingLoad take();

private:
    void stop();

    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_finished{false};
    std::atomic<std::uint64_t> m_bytesRead{0};
    std::atomic<std::uint64_t> m_totalBytes{0};
    RecordingLoad m_result;
};

} // namespace tarvola
