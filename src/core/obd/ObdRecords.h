#pragma once
// The two OBD records the controller keeps (connection and correction), the 20-byte bus request,
// and the rules that follow from the connection record's base identifier: which bus the gateway
// speaks, which identifiers a request goes to and which replies it lets through, and the names the
// OBD page shows for the protocol and the car's OBD standard.
//
// Everything here is plain functions over bytes, so it works without a device.

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace tarvola {

constexpr std::size_t kObdConnectionSize = 12;
constexpr std::size_t kObdCorrectionSize = 18;
constexpr std::size_t kBusRequestSize = 20;

using ObdConnectionRecord = std::array<std::uint8_t, kObdConnectionSize>;
using ObdCorrectionRecord = std::array<std::uint8_t, kObdCorrectionSize>;
using BusRequestBytes = std::array<std::uint8_t, kBusRequestSize>;

// One request of a multiple bus query: message length (1 or 2), service, parameter identifier.
struct BusRequestItem {
    std::uint8_t length = 2;
    std::uint8_t service = 1;
    std::uint8_t pid = 0;
};

// Connection record: bytes 0-3 the base bus identifier (PC order), the switch, the speed code and
// a byte the controller needs at 8 or more. The other bytes belong to the controller and are
// written back as read.
namespace obdconn {
constexpr std::size_t BaseId = 0;
constexpr std::size_t Connected = 8;   // 1 connected, 0 disconnected
constexpr std::size_t Speed = 9;       // 2 = 500 kb/s, anything else 250 kb/s
constexpr std::size_t Reserved10 = 10; // raised to 8 before every write
constexpr std::uint8_t kSpeed500 = 2;
constexpr std::uint8_t kMinReserved10 = 8;
} // namespace obdconn

// Correction record: the fuel-trim correction the controller applies to the gas injection.
namespace obdcorr {
constexpr std::size_t Flags = 0;          // bit 0 follow bank 1, bit 1 follow bank 2
constexpr std::size_t UpdatePeriod = 1;   // twice the period in seconds
constexpr std::size_t MaxCorrection = 2;  // percent
constexpr std::size_t CylinderBanks = 3;  // bit k set: cylinder k + 1 belongs to bank 2
constexpr std::uint8_t kFollowBank1 = 0x01;
constexpr std::uint8_t kFollowBank2 = 0x02;
constexpr int kMinUpdatePeriod = 2;       // seconds the page offers
constexpr int kMaxUpdatePeriod = 127;
constexpr int kMinMaxCorrection = 1;      // percent the page offers
constexpr int kMaxMaxCorrection = 50;
} // namespace obdcorr

// The K-line base identifier; the gateway answers it from 0x7A8.
constexpr std::uint32_t kKLineBaseId = 0x7A0;

enum class ObdBusKind { KLine, Can11, Can29 };

std::uint32_t baseIdOf(const ObdConnectionRecord& record);
bool isConnected(const ObdConnectionRecord& record);
// 0x7A0: K-line; any value with bits above bit 10: 29-bit CAN; anything else: 11-bit CAN.
ObdBusKind busKindOf(std::uint32_t baseId);
// The record as it is written: byte 10 raised to 8 when it is lower, everything else unchanged.
ObdConnectionRecord preparedForWrite(ObdConnectionRecord record);

// Where the requests of a base identifier go (0x7A0, 0x18DA00F1 or 0x7E0) ...
std::uint32_t requestIdFor(std::uint32_t baseId);
// ... and the response filter's identifier, which is also its mask (0x7A8, 0x18DAF100 or 0x7E0).
std::uint32_t filterIdFor(std::uint32_t baseId);
// The request identifier that reaches the one unit that answered from `responder`: 0x7A0 for
// 0x7A8; on 29-bit CAN 0x18DA00F1 addressed to the responder's low byte; else responder − 8.
std::uint32_t unitRequestIdFor(std::uint32_t baseId, std::uint32_t responder);

// The 20-byte record of a single bus request, in PC order (message length 1: service only).
BusRequestBytes encodeBusRequest(std::uint32_t requestId, std::uint32_t filterId, std::uint32_t filterMask,
                                 std::uint8_t length, std::uint8_t service, std::uint8_t pid);

// "ISO9141/KWP2000", or "CAN 11-bit " / "CAN 29-bit " followed by "500kb/s" or "250kb/s".
std::string protocolName(const ObdConnectionRecord& record);
// The OBD standard the car declares (service 1 parameter 0x1C); empty for values without a name.
std::string obdStandardName(std::uint8_t value);

} // namespace tarvola
