// The frame checksum, the byte-order tables and the bounded field access.

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "link/Frame.h"

using namespace tarvola;

TEST(Frame, ChecksumMatchesTheWorkedExamples)
{
    // Identity request: 6 + 2 + 13 + 1 = 22 -> 00 16.
    const std::array<std::uint8_t, 6> identity{0x0D, 0, 0, 0, 0, 0};
    EXPECT_EQ(frameChecksum(6, 2, identity), 0x0016);
    // LEN 0: the checksum is CODE + 1.
    EXPECT_EQ(frameChecksum(0, 7, {}), 8);
    // The sum wraps at 16 bits and only LEN bytes count.
    std::array<std::uint8_t, 300> ones{};
    ones.fill(0xFF);
    EXPECT_EQ(frameChecksum(255, 255, ones), static_cast<std::uint16_t>((255 + 255 + 255 * 255 + 1) & 0xFFFF));
    EXPECT_EQ(frameChecksum(2, 0, ones), 2 + 0xFF + 0xFF + 1);
}

namespace {
std::vector<std::size_t> every(std::size_t first, std::size_t last, std::size_t step)
{
    std::vector<std::size_t> v;
    for (std::size_t i = first; i <= last; i += step)
        v.push_back(i);
    return v;
}
} // namespace

TEST(Frame, EachCodeSwapsExactlyItsFieldsAndOthersAreNotTouched)
{
    struct Row {
        std::uint8_t code;
        std::vector<std::size_t> f16, f32;
    };
    // The settings and identity blocks travel the same way both ways; codes without a row are left alone.
    const std::vector<Row> common = {
        {2, {2, 4}, {}}, {3, {0, 2, 8, 10}, {}}, {5, {0}, {}}, {8, {8, 10}, {0, 4}}, {12, {8}, {0, 4}},
        {15, every(0, 14, 2), {}}, {26, {8}, {0}}, {0, {}, {}}, {4, {}, {}}, {13, {}, {}}, {24, {}, {}},
        {27, {}, {}}, {251, {}, {}},
    };
    // The live sample and the point maps are converted only as replies.
    std::vector<Row> requests = common, replies = common;
    requests.insert(requests.end(), {{1, {}, {}}, {28, {}, {}}, {29, {}, {}}});
    replies.insert(replies.end(), {{1, every(16, 80, 2), {}},
                                   {28, every(124, 186, 2), every(0, 120, 4)},
                                   {29, every(124, 186, 2), every(0, 120, 4)}});
    ExchangeBuffer pattern{};
    for (std::size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = static_cast<std::uint8_t>(i * 7 + 3);
    for (const auto& [rows, convert, direction] :
         {std::tuple{requests, &convertRequestPayload, "request"}, std::tuple{replies, &convertReplyPayload, "reply"}}) {
        for (const auto& row : rows) {
            ExchangeBuffer expected = pattern;
            for (auto at : row.f16)
                std::swap(expected[at], expected[at + 1]);
            for (auto at : row.f32)
                std::reverse(expected.begin() + static_cast<std::ptrdiff_t>(at),
                             expected.begin() + static_cast<std::ptrdiff_t>(at + 4));
            ExchangeBuffer b = pattern;
            convert(row.code, b);
            EXPECT_EQ(b, expected) << direction << " code " << int(row.code);
        }
    }
}

TEST(Frame, FieldAccessIsLittleEndianAndBounded)
{
    std::array<std::uint8_t, 6> b{};
    putU16(b, 0, 0x1234);
    putU32(b, 2, 0xA1B2C3D4);
    EXPECT_EQ(b, (std::array<std::uint8_t, 6>{0x34, 0x12, 0xD4, 0xC3, 0xB2, 0xA1}));
    EXPECT_EQ(getU16(b, 0), 0x1234);
    EXPECT_EQ(getU32(b, 2), 0xA1B2C3D4u);
    EXPECT_THROW(getU32(b, 3), std::out_of_range);
    EXPECT_THROW(putU16(b, 5, 1), std::out_of_range);
    EXPECT_EQ(hexBytes(std::array<std::uint8_t, 3>{0xAA, 0x05, 0x00}), "AA 05 00");
}
