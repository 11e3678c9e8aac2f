#include "settings/CDevInfo.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "settings/CCipher.h"
#include "settings/SerialKey.h"

namespace tarvola {

namespace {
std::uint32_t le32(std::span<const std::uint8_t> p, std::size_t at)
{
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(at + i < p.size() ? p[at + i] : 0) << (8 * i);
    return v;
}
std::uint16_t le16(std::span<const std::uint8_t> p, std::size_t at)
{
    return static_cast<std::uint16_t>(le32(p, at) & 0xFFFF) ;
}
std::uint8_t byteAt(std::span<const std::uint8_t> p, std::size_t at)
{
    return at < p.size() ? p[at] : 0;
}
bool asciiLetter(std::uint8_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The serial number as text: up to the first 0 byte, never past the 16 bytes.
std::string serialText(std::span<const std::uint8_t, 16> bytes)
{
    const auto end = std::find(bytes.begin(), bytes.end(), 0);
    return std::string(bytes.begin(), end);
}

std::string decipherSerial(std::span<const std::uint8_t, 16> bytes)
{
    // Keyed once: the key schedule is the costly step, and the key never changes.
    static const CCipher cipher = [] {
        CCipher c;
        c.setKey(kSerialKeyText);
        return c;
    }();
    const auto plain = cipher.decipherBlock(bytes);
    return serialText(plain);
}
} // namespace

std::string productionDateText(std::uint16_t days)
{
    using namespace std::chrono;
    const sys_days origin = year{2004} / April / 1;
    const year_month_day d{origin + std::chrono::days{days}};
    char text[16];
    std::snprintf(text, sizeof text, "%02u/%02u/%04d", static_cast<unsigned>(d.day()),
                  static_cast<unsigned>(d.month()), static_cast<int>(d.year()));
    return text;
}

bool isPlainSerial(std::span<const std::uint8_t, 16> b)
{
    return asciiLetter(b[0]) && asciiLetter(b[1]) && asciiLetter(b[2]) && b[3] >= '0' && b[3] <= '9' && b[15] == 0;
}

void decodeIdentity(std::span<const std::uint8_t> p, CDevInfo& info)
{
    // The date field is only 16 bits wide, so short replies default to the origin day, never beyond.
    info.m_flags1 = le32(p, 0);
    info.m_flags2 = le32(p, 4);
    info.m_prodDate = productionDateText(le16(p, 8));
    info.m_version = le16(p, 10);
    for (std::size_t i = 0; i < 16; ++i)
        info.m_serialBytes[i] = byteAt(p, 12 + i);
    info.m_serialEnciphered = !isPlainSerial(info.m_serialBytes);
    info.m_serial = info.m_serialEnciphered ? decipherSerial(info.m_serialBytes) : serialText(info.m_serialBytes);
    info.m_injCount = byteAt(p, 28);
    info.m_deviceID = byteAt(p, 29);
}

void decodeStatistics(std::span<const std::uint8_t> p, CStatistic& stat)
{
    stat.gas = le32(p, 0);
    stat.lpg = le32(p, 4);
    stat.modify = le16(p, 8);
}

} // namespace tarvola
