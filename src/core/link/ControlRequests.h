#pragma once
// The controller's control requests (code 2, six bytes, sub-code in byte 0) and their
// acknowledgement (code 2 with 4 in byte 0): the one home of that rule for every command.

#include <array>
#include <cstdint>

#include "link/Frame.h"

namespace tarvola {

constexpr std::uint8_t kControlCode = 2;
constexpr std::uint8_t kAckByte = 4;

inline bool isAck(std::uint8_t /*length*/, std::uint8_t code, const ExchangeBuffer& reply)
{
    return code == kControlCode && reply[0] == kAckByte;
}

// Sub-code in byte 0, an optional 16-bit argument at bytes 2-3 (PC order; the frame layer turns it
// big-endian).
inline std::array<std::uint8_t, 6> controlRequest(std::uint8_t subCode, std::uint16_t argument = 0)
{
    std::array<std::uint8_t, 6> r{subCode, 0, 0, 0, 0, 0};
    putU16(r, 2, argument);
    return r;
}

} // namespace tarvola
