#include "obd/ObdRecords.h"

#include "link/Frame.h"

namespace tarvola {

namespace {
constexpr std::uint32_t kKLineResponder = 0x7A8;
constexpr std::uint32_t kCan11RequestId = 0x7E0;
constexpr std::uint32_t kCan29RequestId = 0x18DA00F1;
constexpr std::uint32_t kCan29FilterId = 0x18DAF100;
constexpr std::uint32_t kCan11Limit = 0x800; // identifiers below fit 11 bits
} // namespace

std::uint32_t baseIdOf(const ObdConnectionRecord& record)
{
    return getU32(record, obdconn::BaseId);
}

bool isConnected(const ObdConnectionRecord& record)
{
    return record[obdconn::Connected] == 1;
}

ObdBusKind busKindOf(std::uint32_t baseId)
{
    if (baseId == kKLineBaseId)
        return ObdBusKind::KLine;
    return baseId >= kCan11Limit ? ObdBusKind::Can29 : ObdBusKind::Can11;
}

ObdConnectionRecord preparedForWrite(ObdConnectionRecord record)
{
    if (record[obdconn::Reserved10] < obdconn::kMinReserved10)
        record[obdconn::Reserved10] = obdconn::kMinReserved10;
    return record;
}

std::uint32_t requestIdFor(std::uint32_t baseId)
{
    switch (busKindOf(baseId)) {
    case ObdBusKind::KLine: return kKLineBaseId;
    case ObdBusKind::Can29: return kCan29RequestId;
    case ObdBusKind::Can11: break;
    }
    return kCan11RequestId;
}

std::uint32_t filterIdFor(std::uint32_t baseId)
{
    switch (busKindOf(baseId)) {
    case ObdBusKind::KLine: return kKLineResponder;
    case ObdBusKind::Can29: return kCan29FilterId;
    case ObdBusKind::Can11: break;
    }
    return kCan11RequestId;
}

std::uint32_t unitRequestIdFor(std::uint32_t baseId, std::uint32_t responder)
{
    if (responder == kKLineResponder)
        return kKLineBaseId;
    if (busKindOf(baseId) == ObdBusKind::Can29)
        return (kCan29RequestId & ~0xFF00u) | ((responder & 0xFFu) << 8);
    // Unsigned arithmetic: a responder below 8 wraps instead of being undefined.
    return responder - 8u;
}

BusRequestBytes encodeBusRequest(std::uint32_t requestId, std::uint32_t filterId, std::uint32_t filterMask,
                                 std::uint8_t length, std::uint8_t service, std::uint8_t pid)
{
    BusRequestBytes r{};
    putU32(r, 0, requestId);
    putU32(r, 4, filterId);
    putU32(r, 8, filterMask);
    r[12] = length;
    r[13] = service;
    r[14] = length >= 2 ? pid : 0;
    return r;
}

std::string protocolName(const ObdConnectionRecord& record)
{
    const std::uint32_t base = baseIdOf(record);
    if (busKindOf(base) == ObdBusKind::KLine)
        return "ISO9141/KWP2000";
    std::string name = busKindOf(base) == ObdBusKind::Can29 ? "CAN 29-bit " : "CAN 11-bit ";
    name += record[obdconn::Speed] == obdconn::kSpeed500 ? "500kb/s" : "250kb/s";
    return name;
}

std::string obdStandardName(std::uint8_t value)
{
    switch (value) {
    case 1: return "OBD II (California ARB)";
    case 2: return "OBD (Federal EPA)";
    case 3: return "OBD and OBD II";
    case 4: return "OBD I";
    case 5: return "No OBD";
    case 6: return "OBD Europe (EOBD)";
    default: return {};
    }
}

} // namespace tarvola
