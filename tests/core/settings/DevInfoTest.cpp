// Decoding the identity and statistics replies.

#include <gtest/gtest.h>

#include "settings/CDevInfo.h"

using namespace tarvola;

namespace {
std::array<std::uint8_t, 30> identityPayload(const char* serial)
{
    std::array<std::uint8_t, 30> p{};
    p[0] = 0x04;              // flags1 = 4 (PC order after conversion)
    p[4] = 0x01, p[5] = 0x02; // flags2 = 0x0201
    p[8] = 0x00, p[9] = 0x00; // day 0
    p[10] = 0x06, p[11] = 0x02;
    for (int i = 0; serial[i] && i < 16; ++i)
        p[12 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(serial[i]);
    p[28] = 4;
    p[29] = 0x21;
    return p;
}
} // namespace

TEST(DevInfo, DecodesEveryIdentityField)
{
    CDevInfo info;
    decodeIdentity(identityPayload("VLD12345"), info);
    EXPECT_EQ(info.m_flags1, 4u);
    EXPECT_EQ(info.m_flags2, 0x0201u);
    EXPECT_EQ(info.m_prodDate, "01/04/2004");
    EXPECT_EQ(info.m_version, 0x0206);
    EXPECT_EQ(info.m_serial, "VLD12345");
    EXPECT_FALSE(info.m_serialEnciphered);
    EXPECT_EQ(info.m_injCount, 4);
    EXPECT_EQ(info.m_deviceID, 0x21);
    EXPECT_EQ(info.m_name, "VELDRANIX K480"); // not part of the reply
}

TEST(DevInfo, ProductionDateCountsDaysFromTheFirstOfApril2004)
{
    EXPECT_EQ(productionDateText(0), "01/04/2004");
    EXPECT_EQ(productionDateText(30), "01/05/2004");
    EXPECT_EQ(productionDateText(334), "01/03/2005"); // across February of a leap year's follow-up
    EXPECT_EQ(productionDateText(2556), "01/04/2011");
    EXPECT_EQ(productionDateText(65535), "05/09/2183");
}

TEST(DevInfo, SerialIsPlainOnlyInItsExactShape)
{
    CDevInfo info;
    decodeIdentity(identityPayload("AB12345"), info); // two letters, then a digit: enciphered
    EXPECT_TRUE(info.m_serialEnciphered);
    EXPECT_NE(info.m_serial, "AB12345"); // deciphered, not shown as it came

    auto p = identityPayload("ABC1");
    p[12 + 15] = 'x'; // byte 15 must be 0
    decodeIdentity(p, info);
    EXPECT_TRUE(info.m_serialEnciphered);

    decodeIdentity(identityPayload("abc9xyz"), info);
    EXPECT_FALSE(info.m_serialEnciphered);
    EXPECT_EQ(info.m_serial, "abc9xyz");
}

TEST(DevInfo, Statistics)
{
    CStatistic s;
    const std::array<std::uint8_t, 10> p{0x10, 0x27, 0, 0, 0x01, 0, 0, 0x80, 0xFF, 0xFF};
    decodeStatistics(p, s);
    EXPECT_EQ(s.gas, 10000u);
    EXPECT_EQ(s.lpg, 0x80000001u);
    EXPECT_EQ(s.modify, 65535u);
}
