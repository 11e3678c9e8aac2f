#include "link/Frame.h"

#include <algorithm>
#include <initializer_list>
#include <stdexcept>

namespace tarvola {

std::uint16_t frameChecksum(std::uint8_t len, std::uint8_t code, std::span<const std::uint8_t> payload)
{
    std::uint32_t sum = static_cast<std::uint32_t>(len) + code + 1;
    for (std::size_t i = 0; i < len && i < payload.size(); ++i)
        sum += payload[i];
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

namespace {

struct OrderRule {
    std::uint8_t code;
    std::initializer_list<std::uint16_t> fields16;
    std::initializer_list<std::uint16_t> fields32;
};

// Fields given by their first offset, a step and a count, for the long regular rows.
template <std::size_t N>
constexpr std::array<std::uint16_t, N> every(std::uint16_t first, std::uint16_t step)
{
    std::array<std::uint16_t, N> a{};
    for (std::size_t i = 0; i < N; ++i)
        a[i] = static_cast<std::uint16_t>(first + step * i);
    return a;
}

constexpr auto kPollFields16 = every<33>(16, 2);      // live sample: every even offset 16..80
constexpr auto kPointMapFields16 = every<32>(124, 2); // point maps: 124..186
constexpr auto kPointMapFields32 = every<31>(0, 4);   // point maps: 0..120

// The settings and identity blocks travel the same way in both directions, so requests and replies
// share these rows; replies add the live sample and the variant point maps (see convertReplyPayload).
const OrderRule kBlockRules[] = {
    {2, {2, 4}, {}},
    {3, {0, 2, 8, 10}, {}},
    {5, {0}, {}},
    {8, {8, 10}, {0, 4}},
    {12, {8}, {0, 4}},
    {15, {0, 2, 4, 6, 8, 10, 12, 14}, {}},
    {26, {8}, {0}},
};

void swap16(ExchangeBuffer& b, std::size_t at)
{
    std::swap(b[at], b[at + 1]);
}

void swap32(ExchangeBuffer& b, std::size_t at)
{
    std::reverse(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + 4));
}

template <class Fields16, class Fields32>
void apply(ExchangeBuffer& b, const Fields16& f16, const Fields32& f32)
{
    for (auto at : f16)
        swap16(b, at);
    for (auto at : f32)
        swap32(b, at);
}

void applyTable(std::span<const OrderRule> rules, std::uint8_t code, ExchangeBuffer& payload)
{
    for (const auto& rule : rules) {
        if (rule.code == code) {
            apply(payload, rule.fields16, rule.fields32);
            return;
        }
    }
}

} // namespace

void convertRequestPayload(std::uint8_t code, ExchangeBuffer& payload)
{
    applyTable(kBlockRules, code, payload);
}

void convertReplyPayload(std::uint8_t code, ExchangeBuffer& payload)
{
    switch (code) {
    case 1:
        apply(payload, kPollFields16, std::array<std::uint16_t, 0>{});
        return;
    case 28:
    case 29:
        apply(payload, kPointMapFields16, kPointMapFields32);
        return;
    default:
        applyTable(kBlockRules, code, payload);
    }
}

std::uint16_t getU16(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    if (offset + 2 > bytes.size())
        throw std::out_of_range("getU16");
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

std::uint32_t getU32(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    if (offset + 4 > bytes.size())
        throw std::out_of_range("getU32");
    return static_cast<std::uint32_t>(bytes[offset]) | (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) | (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

void putU16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value)
{
    if (offset + 2 > bytes.size())
        throw std::out_of_range("putU16");
    bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void putU32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value)
{
    if (offset + 4 > bytes.size())
        throw std::out_of_range("putU32");
    for (int i = 0; i < 4; ++i)
        bytes[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::string hexBytes(std::span<const std::uint8_t> bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(bytes.size() * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i)
            s += ' ';
        s += digits[bytes[i] >> 4];
        s += digits[bytes[i] & 0xF];
    }
    return s;
}

} // namespace tarvola
