// Decoding the identity and statistics replies, the production date, and the serial number that
// arrives plain or enciphered.

#include <gtest/gtest.h>

#include "settings/CCipher.h"
#include "settings/CDevInfo.h"
#include "settings/SerialKey.h"

using namespace tarvola;

namespace {
// An identity reply whose 16 serial bytes are `serial` (then 0 bytes).
std::array<std::uint8_t, 30> identityPayload(const std::string& serial)
{
    std::array<std::uint8_t, 30> p{};
    p[0] = 0x04;
    p[4] = 0x01, p[5] = 0x02;
    p[8] = 0x1E, p[9] = 0x00;
    p[10] = 0x06, p[11] = 0x02;
    std::copy_n(serial.begin(), std::min<std::size_t>(serial.size(), 16), p.begin() + 12);
    p[28] = 4;
    p[29] = 0x21;
    return p;
}
} // namespace

TEST(DevInfo, IdentityAndStatisticsFieldsAreLittleEndian)
{
    CDevInfo info;
    decodeIdentity(identityPayload("VLD12345"), info);
    EXPECT_EQ(info.m_flags1, 4u);
    EXPECT_EQ(info.m_flags2, 0x0201u);
    EXPECT_EQ(info.m_prodDate, "01/05/2004"); // day 30
    EXPECT_EQ(info.m_version, 0x0206);
    EXPECT_EQ(info.m_serial, "VLD12345");
    EXPECT_FALSE(info.m_serialEnciphered);
    EXPECT_EQ(info.m_injCount, 4);
    EXPECT_EQ(info.m_deviceID, 0x21);

    CStatistic s;
    decodeStatistics(std::array<std::uint8_t, 10>{0x10, 0x27, 0, 0, 0x01, 0, 0, 0x80, 0xFF, 0xFF}, s);
    EXPECT_EQ(s.gas, 10000u);
    EXPECT_EQ(s.lpg, 0x80000001u);
    EXPECT_EQ(s.modify, 65535u);
}

TEST(DevInfo, ProductionDateCountsDaysFromTheFirstOfApril2004)
{
    const std::pair<std::uint16_t, const char*> cases[] = {
        {0, "01/04/2004"}, {334, "01/03/2005"}, {2556, "01/04/2011"}, {65535, "05/09/2183"}};
    for (const auto& [days, text] : cases)
        EXPECT_EQ(productionDateText(days), text) << days;
}

TEST(DevInfo, SerialIsPlainOnlyInItsExactShapeAndDecipheredOtherwise)
{
    CDevInfo info;
    decodeIdentity(identityPayload("abc9xyz"), info); // three letters, a digit, byte 15 zero
    EXPECT_FALSE(info.m_serialEnciphered);
    EXPECT_EQ(info.m_serial, "abc9xyz");
    decodeIdentity(identityPayload("AB12345"), info); // two letters, then a digit
    EXPECT_TRUE(info.m_serialEnciphered);
    EXPECT_NE(info.m_serial, "AB12345");
    decodeIdentity(identityPayload(std::string("ABC1") + std::string(11, '\0') + "x"), info);
    EXPECT_TRUE(info.m_serialEnciphered);

    CCipher cipher;
    cipher.setKey(kSerialKeyText);
    const auto enciphered = [&](const std::string& serial) {
        CCipher::Block plain{};
        std::copy(serial.begin(), serial.end(), plain.begin());
        const auto block = cipher.encipherBlock(plain);
        return identityPayload(std::string(block.begin(), block.end()));
    };
    // Sixteen characters have no 0 byte to end them; a 0 byte ends whatever deciphers.
    const std::pair<std::string, const char*> cases[] = {
        {"VLD98765", "VLD98765"}, {"ABCD567890123456", "ABCD567890123456"}, {std::string("AB\0CD", 5), "AB"}};
    for (const auto& [serial, shown] : cases) {
        decodeIdentity(enciphered(serial), info);
        EXPECT_TRUE(info.m_serialEnciphered) << shown;
        EXPECT_EQ(info.m_serial, shown);
    }
}
