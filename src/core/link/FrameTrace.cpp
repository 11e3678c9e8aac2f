#include "link/FrameTrace.h"

#include <cstdio>
#include <ctime>

namespace tarvola {

std::string frameTraceLine(std::chrono::system_clock::time_point when, IFrameObserver::Direction direction,
                           std::span<const std::uint8_t> bytes, const char* operation)
{
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() % 1000;
    std::tm local{};
    ::localtime_r(&t, &local);
    char stamp[48];
    const std::size_t n = std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(stamp + n, sizeof stamp - n, ".%03d", static_cast<int>(ms < 0 ? ms + 1000 : ms));
    std::string line = stamp;
    line += direction == IFrameObserver::Direction::Sent ? " -> " : " <- ";
    line += bytes.empty() ? "(nothing)" : hexBytes(bytes);
    line += "  ";
    line += operation ? operation : "";
    return line;
}

void FrameTraceQueue::onFrame(Direction direction, std::span<const std::uint8_t> bytes, const char* operation)
{
    std::string line = frameTraceLine(std::chrono::system_clock::now(), direction, bytes, operation);
    std::lock_guard lock(m_mutex);
    if (m_lines.size() >= m_capacity) {
        m_lines.pop_front();
        ++m_dropped;
    }
    m_lines.push_back(std::move(line));
}

std::size_t FrameTraceQueue::drain(std::vector<std::string>& out)
{
    std::lock_guard lock(m_mutex);
    out.insert(out.end(), std::make_move_iterator(m_lines.begin()), std::make_move_iterator(m_lines.end()));
    m_lines.clear();
    const std::size_t dropped = m_dropped;
    m_dropped = 0;
    return dropped;
}

void FrameTraceQueue::clear()
{
    std::lock_guard lock(m_mutex);
    m_lines.clear();
    m_dropped = 0;
}

} // namespace tarvola
