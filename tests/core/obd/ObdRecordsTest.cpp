// The connection record's rules: the bus kind of a base identifier, the identifiers requests go
// to and come from, the names the page shows, and the 20-byte single request.

#include <gtest/gtest.h>

#include <tuple>

#include "link/Frame.h"
#include "obd/ObdRecords.h"

using namespace tarvola;

namespace {
ObdConnectionRecord connection(std::uint32_t base, std::uint8_t speed = 2)
{
    ObdConnectionRecord r{};
    putU32(r, 0, base);
    r[9] = speed;
    return r;
}
} // namespace

TEST(ObdIdentifiers, EachBusKindHasItsRequestFilterUnitAddressAndName)
{
    const std::tuple<std::uint32_t, ObdBusKind, std::uint32_t, std::uint32_t> kinds[] = {
        {0x7A0, ObdBusKind::KLine, 0x7A0, 0x7A8},          {0x7E0, ObdBusKind::Can11, 0x7E0, 0x7E0},
        {0x7DF, ObdBusKind::Can11, 0x7E0, 0x7E0},          {0, ObdBusKind::Can11, 0x7E0, 0x7E0},
        {0x7FF, ObdBusKind::Can11, 0x7E0, 0x7E0},          {0x800, ObdBusKind::Can29, 0x18DA00F1, 0x18DAF100},
        {0x18DB33F1, ObdBusKind::Can29, 0x18DA00F1, 0x18DAF100}, {0x18DAF100, ObdBusKind::Can29, 0x18DA00F1, 0x18DAF100},
    };
    for (const auto& [base, kind, request, filter] : kinds) {
        EXPECT_EQ(busKindOf(base), kind) << base;
        EXPECT_EQ(requestIdFor(base), request) << base;
        EXPECT_EQ(filterIdFor(base), filter) << base;
    }
    const std::tuple<std::uint32_t, std::uint32_t, std::uint32_t> units[] = {
        {0x7A0, 0x7A8, 0x7A0}, {0x7E0, 0x7E8, 0x7E0}, {0x7E0, 0x7E9, 0x7E1}, {0x18DB33F1, 0x18DAF110, 0x18DA10F1},
        {0x18DB33F1, 0x18DAF11A, 0x18DA1AF1},
        {0x18DB33F1, 0x7A8, 0x7A0}, // a K-line responder is recognised whatever the record says
    };
    for (const auto& [base, responder, request] : units)
        EXPECT_EQ(unitRequestIdFor(base, responder), request) << base << " " << responder;

    const std::tuple<std::uint32_t, std::uint8_t, const char*> names[] = {
        {0x7A0, 2, "ISO9141/KWP2000"},           {0x7E0, 2, "CAN 11-bit 500kb/s"}, {0x7E0, 1, "CAN 11-bit 250kb/s"},
        {0x18DB33F1, 2, "CAN 29-bit 500kb/s"}, {0x18DB33F1, 0, "CAN 29-bit 250kb/s"}};
    for (const auto& [base, speed, name] : names)
        EXPECT_EQ(protocolName(connection(base, speed)), name);
    EXPECT_EQ(obdStandardName(0), "");
    EXPECT_EQ(obdStandardName(7), "");
}

TEST(ObdRecords, WriteRaisesByteTenAndKeepsTheRest)
{
    ObdConnectionRecord r = connection(0x7E0);
    for (std::size_t i = 4; i < r.size(); ++i)
        r[i] = static_cast<std::uint8_t>(i);
    r[10] = 3;
    auto written = preparedForWrite(r);
    EXPECT_EQ(written[10], 8);
    written[10] = 3;
    EXPECT_EQ(written, r);
    r[10] = 0xC0;
    EXPECT_EQ(preparedForWrite(r)[10], 0xC0);
    r[8] = 1;
    EXPECT_TRUE(isConnected(r));
    r[8] = 2;
    EXPECT_FALSE(isConnected(r)) << "only 1 means connected";
}

TEST(ObdRecords, SingleRequestLayout)
{
    const auto r = encodeBusRequest(0x18DA10F1, 0x18DAF100, 0x18DAF100, 2, 1, 0x0C);
    EXPECT_EQ(r, (BusRequestBytes{0xF1, 0x10, 0xDA, 0x18, 0x00, 0xF1, 0xDA, 0x18, 0x00, 0xF1, 0xDA, 0x18, 2, 1, 0x0C,
                                  0, 0, 0, 0, 0}));
    // A service-only message carries no parameter.
    EXPECT_EQ(encodeBusRequest(0x7E0, 0x7E0, 0x7E0, 1, 4, 0x55)[14], 0);
}
