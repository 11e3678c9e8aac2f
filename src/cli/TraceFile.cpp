#include "TraceFile.h"

#include <chrono>
#include <ctime>

namespace tarvola::cli {

TraceFile::~TraceFile()
{
    if (m_file)
        std::fclose(m_file);
}

bool TraceFile::open(const std::string& path)
{
    m_file = std::fopen(path.c_str(), "w");
    return m_file != nullptr;
}

void TraceFile::onFrame(Direction direction, std::span<const std::uint8_t> bytes, const char* operation)
{
    std::lock_guard lock(m_mutex);
    if (!m_file)
        return;
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    ::localtime_r(&t, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::fprintf(m_file, "%s.%03d %s %s  %s\n", stamp, static_cast<int>(ms),
                 direction == Direction::Sent ? "->" : "<-", bytes.empty() ? "(nothing)" : hexBytes(bytes).c_str(),
                 operation);
    // Flushed per line: a trace is read precisely when something went wrong.
    std::fflush(m_file);
}

} // namespace tarvola::cli
