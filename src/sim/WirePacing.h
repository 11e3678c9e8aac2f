// Timing of a 38400-baud line (10 bits a byte, 260.4 µs) for the paced mode.
//
// A reply may start only once the request itself would have finished arriving, and its bytes then
// go out one byte time apart. All times are absolute, counted from one start point, so sleeping
// late for one chunk never delays the chunks after it.
#pragma once

#include <chrono>
#include <cstddef>
#include <vector>

#include "Frame.h"

namespace tarvola::sim {

inline constexpr std::chrono::nanoseconds kByteTime{260417};  // 10 bits / 38400 baud

inline std::chrono::nanoseconds wireTime(std::size_t bytes) { return kByteTime * static_cast<long>(bytes); }

// The earliest moment a reply may start: when the request's last byte would have arrived.
Clock::time_point replyEarliest(Clock::time_point requestFirstByte, std::size_t requestBytes);

struct Chunk {
    Clock::time_point at;  // when the chunk's last byte has gone over the wire
    std::size_t begin;
    std::size_t end;
};

// Splits `bytes` bytes into chunks of at most `chunkBytes` (the last may be shorter), chunk k
// written when its last byte would have left the wire: start + end × byte time.
std::vector<Chunk> pacedChunks(std::size_t bytes, Clock::time_point start, std::size_t chunkBytes = 4);

}  // namespace tarvola::sim
