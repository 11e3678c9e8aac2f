// The frame checksum and the byte-order tables.

#include <gtest/gtest.h>

#include "link/Frame.h"

using namespace tarvola;

TEST(Frame, ChecksumMatchesTheWorkedExamples)
{
    // Identity request: 6 + 2 + 13 + 1 = 22 -> 00 16.
    const std::array<std::uint8_t, 6> identity{0x0D, 0, 0, 0, 0, 0};
    EXPECT_EQ(frameChecksum(6, 2, identity), 0x0016);
    // LEN 0: the checksum is CODE + 1.
    EXPECT_EQ(frameChecksum(0, 7, {}), 8);
    // The reply AA 55 00 02 00 03.
    EXPECT_EQ(frameChecksum(0, 2, {}), 0x0003);
    // The sum wraps at 16 bits and only LEN bytes count.
    std::array<std::uint8_t, 300> ones{};
    ones.fill(0xFF);
    EXPECT_EQ(frameChecksum(255, 255, ones), static_cast<std::uint16_t>((255 + 255 + 255 * 255 + 1) & 0xFFFF));
    EXPECT_EQ(frameChecksum(2, 0, ones), 2 + 0xFF + 0xFF + 1);
}

namespace {

struct Row {
    std::uint8_t code;
    std::vector<std::size_t> f16;
    std::vector<std::size_t> f32;
};

std::vector<std::size_t> evenFrom(std::size_t a, std::size_t b, std::size_t step)
{
    std::vector<std::size_t> v;
    for (std::size_t i = a; i <= b; i += step)
        v.push_back(i);
    return v;
}

const std::vector<Row>& requestRows()
{
    static const std::vector<Row> rows = {
        {2, {2, 4}, {}},       {3, {0, 2, 8, 10}, {}}, {5, {0}, {}}, {8, {8, 10}, {0, 4}}, {12, {8}, {0, 4}},
        {15, {0, 2, 4, 6, 8, 10, 12, 14}, {}}, {26, {8}, {0}},
    };
    return rows;
}

const std::vector<Row>& replyRows()
{
    static const std::vector<Row> rows = [] {
        std::vector<Row> r = requestRows();
        r.push_back({1, evenFrom(16, 80, 2), {}});
        r.push_back({28, evenFrom(124, 186, 2), evenFrom(0, 120, 4)});
        r.push_back({29, evenFrom(124, 186, 2), evenFrom(0, 120, 4)});
        return r;
    }();
    return rows;
}

ExchangeBuffer pattern()
{
    ExchangeBuffer b{};
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return b;
}

// Expected result of converting `pattern()` by a row: the named fields reversed, nothing else moved.
ExchangeBuffer expectedFor(const Row& row)
{
    ExchangeBuffer e = pattern();
    for (auto at : row.f16)
        std::swap(e[at], e[at + 1]);
    for (auto at : row.f32)
        std::reverse(e.begin() + static_cast<std::ptrdiff_t>(at), e.begin() + static_cast<std::ptrdiff_t>(at + 4));
    return e;
}

} // namespace

TEST(Frame, EveryRequestRowSwapsExactlyItsFields)
{
    for (const auto& row : requestRows()) {
        ExchangeBuffer b = pattern();
        convertRequestPayload(row.code, b);
        EXPECT_EQ(b, expectedFor(row)) << "request code " << int(row.code);
    }
}

TEST(Frame, EveryReplyRowSwapsExactlyItsFields)
{
    for (const auto& row : replyRows()) {
        ExchangeBuffer b = pattern();
        convertReplyPayload(row.code, b);
        EXPECT_EQ(b, expectedFor(row)) << "reply code " << int(row.code);
    }
}

TEST(Frame, CodesWithoutARowAreNotTouched)
{
    // Requests: the live-sample and point-map layouts exist only on the reply side.
    for (int code : {0, 1, 4, 6, 7, 9, 13, 14, 18, 19, 20, 23, 24, 25, 27, 28, 29, 250, 251}) {
        ExchangeBuffer b = pattern();
        convertRequestPayload(static_cast<std::uint8_t>(code), b);
        EXPECT_EQ(b, pattern()) << "request code " << code;
    }
    for (int code : {0, 4, 6, 7, 9, 13, 14, 18, 19, 20, 24, 27, 251}) {
        ExchangeBuffer b = pattern();
        convertReplyPayload(static_cast<std::uint8_t>(code), b);
        EXPECT_EQ(b, pattern()) << "reply code " << code;
    }
}

TEST(Frame, FieldAccessIsLittleEndianAndBounded)
{
    std::array<std::uint8_t, 6> b{};
    putU16(b, 0, 0x1234);
    putU32(b, 2, 0xA1B2C3D4);
    EXPECT_EQ(b[0], 0x34);
    EXPECT_EQ(b[1], 0x12);
    EXPECT_EQ(b[2], 0xD4);
    EXPECT_EQ(b[5], 0xA1);
    EXPECT_EQ(getU16(b, 0), 0x1234);
    EXPECT_EQ(getU32(b, 2), 0xA1B2C3D4u);
    EXPECT_THROW(getU32(b, 3), std::out_of_range);
    EXPECT_THROW(putU16(b, 5, 1), std::out_of_range);
    EXPECT_EQ(hexBytes(std::array<std::uint8_t, 3>{0xAA, 0x05, 0x00}), "AA 05 00");
}
