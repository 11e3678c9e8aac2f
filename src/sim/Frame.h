// Frame codec of the serial link, seen from the controller's side.
//
// A frame is AA 55 LEN CODE payload[LEN] CHK_HI CHK_LO, with the checksum
// (LEN + CODE + sum(payload) + 1) mod 65536. The parser is fed whatever the pseudo-terminal
// delivers, in pieces of any size, and picks whole, correctly summed frames out of it: bytes that
// cannot start a frame are skipped and a frame with a wrong checksum is dropped, so that one bad
// byte on the line costs one request and never the link.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "ByteOrder.h"

namespace tarvola::sim {

using Clock = std::chrono::steady_clock;

inline constexpr std::uint8_t kStart1 = 0xAA;
inline constexpr std::uint8_t kStart2 = 0x55;
inline constexpr std::size_t kFrameOverhead = 6;  // start pair, LEN, CODE, two checksum bytes

// The 16-bit frame checksum over LEN, CODE and the payload bytes.
std::uint16_t frameChecksum(std::uint8_t len, std::uint8_t code, const std::uint8_t* payload, std::size_t n);

// Builds a whole frame. A payload longer than 255 bytes cannot be framed: only its first 255
// bytes are sent (the controller never builds such a payload; this only keeps the codec total).
Bytes encodeFrame(std::uint8_t code, const Bytes& payload);

// One request as it came off the line.
struct Frame {
    std::uint8_t code = 0;
    Bytes payload;
    Bytes raw;                    // the whole frame, start pair to checksum
    Clock::time_point firstByteAt;  // arrival of its first start byte (wire timing starts here)
    Clock::time_point completeAt;   // arrival of its last byte
};

class FrameParser {
public:
    // Takes n bytes that arrived at `at` and returns the frames they completed, oldest first.
    std::vector<Frame> feed(const std::uint8_t* data, std::size_t n, Clock::time_point at);

    std::size_t pendingBytes() const { return buf_.size(); }
    std::uint64_t badChecksums() const { return badChecksums_; }
    std::uint64_t skippedBytes() const { return skipped_; }
    void reset();

    // Garbage beyond this many buffered bytes is dropped from the front; no request is longer
    // than 261 bytes, so a buffer this full can only hold noise.
    static constexpr std::size_t kMaxBuffered = 2048;

private:
    bool completeAndValidAt(std::size_t i) const;
    void drop(std::size_t n);

    Bytes buf_;
    std::vector<Clock::time_point> times_;  // arrival time of every buffered byte
    std::uint64_t badChecksums_ = 0;
    std::uint64_t skipped_ = 0;
};

}  // namespace tarvola::sim
