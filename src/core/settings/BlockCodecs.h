#pragma once
// The wire images of the settings record's blocks: one encoder and one decoder per block.
//
// Payloads are in PC byte order (16- and 32-bit fields little-endian); the frame layer turns the
// fields its tables list big-endian on the way out and back on the way in.
//
// Encoders build the whole payload afresh from the record: bytes that carry no field are 0, and a
// record value outside its field saturates (Conversions.h) — nothing an encoder is given can
// overflow. Decoders fill only the fields of their block and leave the rest of the record alone;
// a payload shorter than its block is refused (false, record unchanged).
//
// Temperatures are coded with the sensor characteristics that the record's m_sensorsSetup holds,
// so that block must be known (read or set) before the base and adv blocks are encoded or decoded.
// The sensors block itself depends on m_devInfo.m_deviceID (the variant's sensor codes).

#include <cstdint>
#include <span>

#include "maps/MapBlock.h"
#include "settings/CDeviceSettings.h"

namespace tarvola {

constexpr std::size_t kBaseBlockSize = 28;
constexpr std::size_t kAdvBlockSize = 21;
constexpr std::size_t kMainCorrBlockSize = 16;
constexpr std::size_t kSetupTimesBlockSize = 42;
constexpr std::size_t kSensorsSetupBlockSize = 28;
constexpr std::size_t kAdvancedSetupBlockSize = 30;

// The base block carries m_base.m_pcStamp unchanged (bytes 24..27); the device replaces the stamp
// with this PC's before it writes. Bit 4 of the flags is always sent set.
void encodeBase(const CDeviceSettings& settings, std::span<std::uint8_t, kBaseBlockSize> out);
bool decodeBase(std::span<const std::uint8_t> payload, CDeviceSettings& settings);

void encodeAdv(const CDeviceSettings& settings, std::span<std::uint8_t, kAdvBlockSize> out);
bool decodeAdv(std::span<const std::uint8_t> payload, CDeviceSettings& settings);

void encodeMainCorr(const CDeviceSettings& settings, std::span<std::uint8_t, kMainCorrBlockSize> out);
bool decodeMainCorr(std::span<const std::uint8_t> payload, CDeviceSettings& settings);

void encodeSetupTimes(const CDeviceSettings& settings, std::span<std::uint8_t, kSetupTimesBlockSize> out);
bool decodeSetupTimes(std::span<const std::uint8_t> payload, CDeviceSettings& settings);

void encodeSensorsSetup(const CDeviceSettings& settings, std::span<std::uint8_t, kSensorsSetupBlockSize> out);
bool decodeSensorsSetup(std::span<const std::uint8_t> payload, CDeviceSettings& settings);

void encodeAdvancedSetup(const CDeviceSettings& settings, std::span<std::uint8_t, kAdvancedSetupBlockSize> out);
bool decodeAdvancedSetup(std::span<const std::uint8_t> payload, CDeviceSettings& settings);

// The fuel map block: cells as percentage + 100 (saturated to a byte), the map flags, and the
// check value sealed in.
void encodeMap(const CDeviceSettings& settings, MapBlock& out);
// Takes cells and flags from a block whose check value the caller has already verified.
void decodeMap(const MapBlock& block, CDeviceSettings& settings);

} // namespace tarvola
