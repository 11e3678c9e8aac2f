#pragma once
// The controller's identity block and its statistics counters, and their decoding from the
// identification and statistics replies (payloads already in PC byte order).

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace tarvola {

struct CStatistic {
    std::uint32_t gas = 0;    // running time on petrol, half seconds
    std::uint32_t lpg = 0;    // running time on gas, half seconds
    std::uint16_t modify = 0; // settings modifications
};

struct CDevInfo {
    std::string m_name = "VELDRANIX K480";
    std::int32_t m_version = 0;
    std::int32_t m_injCount = 0;
    std::string m_serial;
    std::string m_prodDate;
    std::uint8_t m_deviceID = 0;
    std::uint32_t m_flags1 = 0;
    std::uint32_t m_flags2 = 0;
    CStatistic m_statistic;

    // The 16 serial bytes as they arrived. When they are enciphered, m_serial is what the serial
    // cipher (settings/SerialKey.h) deciphers from them.
    std::array<std::uint8_t, 16> m_serialBytes{};
    bool m_serialEnciphered = false;
};

// The variant code that changes some requests and the sensor codes ("!").
constexpr std::uint8_t kVariantDeviceId = 0x21;

constexpr std::size_t kIdentityReplySize = 30;
constexpr std::size_t kStatisticsReplySize = 10;

// Fills the identity fields (not the name, not the statistics) from an identification reply,
// deciphering an enciphered serial number. Bytes missing from a short reply read as 0.
void decodeIdentity(std::span<const std::uint8_t> payload, CDevInfo& info);
// Fills the three counters from a statistics reply.
void decodeStatistics(std::span<const std::uint8_t> payload, CStatistic& stat);
// "dd/mm/yyyy" of the day that lies `days` after 1 April 2004.
std::string productionDateText(std::uint16_t days);
// True when the 16 serial bytes are plain text: three ASCII letters, an ASCII digit, byte 15 zero.
bool isPlainSerial(std::span<const std::uint8_t, 16> bytes);

} // namespace tarvola
