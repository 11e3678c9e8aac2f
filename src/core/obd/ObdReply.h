#pragma once
// Reading what the gateway brings back from the car: the bus reply (a count of bus frames and
// that many 12-byte frame records), the supported-parameter mask, the stored-code count of
// service 1 parameter 1, and the trouble codes spread over the frames of a service 3 answer.
//
// The reply comes from outside: every function takes only what actually arrived. A count larger
// than the payload yields the complete records present, a short frame yields nothing, and no
// function reads past the bytes it was given.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tarvola {

// One frame the gateway received: the sender's identifier and the eight data bytes (on CAN, byte
// 0 is the ISO 15765-2 protocol control byte).
struct ObdBusFrame {
    std::uint32_t sender = 0;
    std::array<std::uint8_t, 8> data{};
};

constexpr std::size_t kBusFrameRecordSize = 12;

struct ObdBusReply {
    std::vector<ObdBusFrame> frames; // the complete records present, at most the declared count
    std::uint16_t declaredCount = 0; // what the reply said (0 when it was too short to say)
    // False when the payload held fewer whole records than it declared.
    bool complete = false;
};

// Parses the payload of a bus reply (PC order: the 16-bit count, then per frame the 32-bit sender
// and eight data bytes). Never fails; see `complete`.
ObdBusReply parseBusReply(std::span<const std::uint8_t> payload);

// Service 1 parameter 0: the first frame must carry 0x41 and parameter 0; its four data bytes,
// most significant first, are the mask. Nothing when there is no such first frame.
std::optional<std::uint32_t> supportedMaskOf(std::span<const ObdBusFrame> frames);
// Parameter p (1..32) is supported when bit 31 − (p − 1) of the mask is set.
bool pidSupported(std::uint32_t mask, std::uint8_t pid);

// Service 1 parameter 1 from one unit: the number of stored codes (byte A without the lamp bit),
// or nothing when the frame is not that answer.
std::optional<int> storedCodeCountOf(const ObdBusFrame& frame);

constexpr std::uint8_t kPositiveService1 = 0x41;
constexpr std::uint8_t kPositiveService3 = 0x43;
constexpr std::uint8_t kPositiveService4 = 0x44;

// The trouble codes in the frames of a service 3 answer from a unit that declared `expected`
// codes. A first frame gives up to 2 codes from data byte 4; consecutive frames continue the answer
// from data byte 1, a code that straddles two of them included, never more than are still
// expected; a single frame the count it carries in data byte 2 from data byte 3, as far as its
// eight bytes go. A zero code ends the first frame's part, or the rest of the answer. Codes of
// first and consecutive frames count against the expected number.
std::vector<std::uint16_t> troubleCodesOf(std::span<const ObdBusFrame> frames, int expected);

} // namespace tarvola
