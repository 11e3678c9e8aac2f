#pragma once
// The trace of the frames on the line, one text line a frame:
//   "2026-12-07 03:41:07.125 -> 55 AA 06 02 ...  operation"
// local time with milliseconds, the direction ("->" to the controller, "<-" from it), the bytes in
// hex ("(nothing)" when none came) and the command's name. The command line's trace file and the
// communication log window write these same lines.
//
// FrameTraceQueue is an observer that only queues lines, for a reader on another thread: onFrame
// runs on whichever thread exchanges (the polling thread, with the exchange lock held), so it takes
// nothing but its own short lock and never waits for the reader. The queue is bounded; when the
// reader falls behind, the oldest lines go and are counted.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "link/CLink.h"

namespace tarvola {

std::string frameTraceLine(std::chrono::system_clock::time_point when, IFrameObserver::Direction direction,
                           std::span<const std::uint8_t> bytes, const char* operation);

class FrameTraceQueue : public IFrameObserver {
public:
    explicit FrameTraceQueue(std::size_t capacity = 2000) : m_capacity(capacity == 0 ? 1 : capacity) {}

    void onFrame(Direction direction, std::span<const std::uint8_t> bytes, const char* operation) override;

    // Moves every queued line to the end of `out`; returns how many lines were dropped since the last
    // drain because the queue was full.
    std::size_t drain(std::vector<std::string>& out);
    void clear();

private:
    const std::size_t m_capacity;
    std::mutex m_mutex;
    std::deque<std::string> m_lines;
    std::size_t m_dropped = 0;
};

} // namespace tarvola
