#pragma once
// The controller's frame: AA 55 LEN CODE payload[LEN] CHK_HI CHK_LO, and the byte-order rules.
//
// The checksum is the 16-bit sum of LEN, CODE, every payload byte and 1. Multi-byte numbers travel
// big-endian for the codes in the conversion tables; the PC keeps them in its own little-endian
// order and converts in place, by code, on the way out and on the way in. Because the checksum is a
// plain byte sum it is the same before and after conversion.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tarvola {

constexpr std::uint8_t kFrameStart1 = 0xAA;
constexpr std::uint8_t kFrameStart2 = 0x55;
constexpr std::size_t kFrameOverhead = 6;       // start pair, LEN, CODE, two checksum bytes
constexpr std::size_t kExchangeBufferSize = 410;

// The buffer every exchange works in: the request payload on entry, the reply payload on return.
using ExchangeBuffer = std::array<std::uint8_t, kExchangeBufferSize>;

// (LEN + CODE + sum(payload) + 1) mod 65536.
std::uint16_t frameChecksum(std::uint8_t len, std::uint8_t code, std::span<const std::uint8_t> payload);

// Converts the payload of a request with `code` from PC order to controller order (or back: the
// swap is its own inverse). Codes without a table row are left alone.
void convertRequestPayload(std::uint8_t code, ExchangeBuffer& payload);
// Converts the payload of a reply with `code` from controller order to PC order.
void convertReplyPayload(std::uint8_t code, ExchangeBuffer& payload);

// Little-endian field access in PC-order payloads; offsets are checked against the buffer.
std::uint16_t getU16(std::span<const std::uint8_t> bytes, std::size_t offset);
std::uint32_t getU32(std::span<const std::uint8_t> bytes, std::size_t offset);
void putU16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value);
void putU32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value);

// Bytes as "AA 55 06 02 ..." for traces and messages.
std::string hexBytes(std::span<const std::uint8_t> bytes);

} // namespace tarvola
