#pragma once
// The fuel map as the controller keeps it in memory: 288 bytes at address 320, moved in nine 32-byte
// pieces. Bytes 0..284 are the cells (+100), byte 285 the map flags, bytes 286-287 a big-endian check
// value: (sum of bytes 0..285 + 1) mod 65536 — the frame checksum without length and code.

#include <array>
#include <cstdint>

namespace tarvola {

constexpr std::uint16_t kMapBlockAddress = 320;
constexpr std::size_t kMapBlockSize = 288;
constexpr std::size_t kMemoryPieceSize = 32;
constexpr std::uint16_t kMapLastPieceAddress = kMapBlockAddress + kMapBlockSize - kMemoryPieceSize; // 576

using MapBlock = std::array<std::uint8_t, kMapBlockSize>;

// The controller's edit operations on a range of map cells.
enum class MapEdit : std::uint8_t { Set = 1, Add = 2, Subtract = 3, Zero = 4 };

// (sum of bytes 0..285 + 1) mod 65536.
std::uint16_t mapCheckValue(const MapBlock& block);
// The check value stored in bytes 286-287.
std::uint16_t storedMapCheckValue(const MapBlock& block);
// Computes the check value and stores it in bytes 286-287.
void sealMapBlock(MapBlock& block);

} // namespace tarvola
