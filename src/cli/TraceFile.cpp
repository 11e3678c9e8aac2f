#include "TraceFile.h"

#include <chrono>

#include "link/FrameTrace.h"

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
    const std::string line = frameTraceLine(std::chrono::system_clock::now(), direction, bytes, operation) + '\n';
    std::fwrite(line.data(), 1, line.size(), m_file);
    // Flushed per line: a trace is read precisely when something went wrong.
    std::fflush(m_file);
}

} // namespace tarvola::cli
