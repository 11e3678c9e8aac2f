// Frame codec: checksum, framing, and the parser's resynchronisation on a dirty line.
#include <gtest/gtest.h>

#include "Frame.h"

using namespace tarvola::sim;

namespace {

std::vector<Frame> feedAll(FrameParser& p, const Bytes& b) { return p.feed(b.data(), b.size(), Clock::now()); }

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& b : parts) out.insert(out.end(), b.begin(), b.end());
    return out;
}

}  // namespace

TEST(FrameParser, ReassemblesAFrameDeliveredByteByByte) {
    FrameParser p;
    const Bytes f = encodeFrame(2, {0xCC, 0, 0, 0, 0, 0});
    std::vector<Frame> got;
    const auto t0 = Clock::now();
    for (std::size_t i = 0; i < f.size(); ++i) {
        auto part = p.feed(&f[i], 1, t0 + std::chrono::milliseconds(i));
        got.insert(got.end(), part.begin(), part.end());
    }
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].raw, f);
    EXPECT_EQ(got[0].firstByteAt, t0);  // wire timing counts from the first start byte
    EXPECT_EQ(got[0].completeAt, t0 + std::chrono::milliseconds(f.size() - 1));
    EXPECT_EQ(p.pendingBytes(), 0u);
}

TEST(FrameParser, SkipsGarbageIncludingFalseStartBytes) {
    FrameParser p;
    const Bytes good = encodeFrame(2, {13, 0, 0, 0, 0, 0});
    const auto frames = feedAll(p, concat({{0x00, 0xAA, 0x13, 0xAA, 0xAA}, good, {0x55}}));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].code, 2);
    EXPECT_EQ(frames[0].payload[0], 13);
    EXPECT_EQ(p.badChecksums(), 0u);
}

TEST(FrameParser, DropsABadChecksumAndKeepsTheNextFrame) {
    FrameParser p;
    Bytes bad = encodeFrame(2, {7, 0, 0, 0, 0, 0});
    bad.back() ^= 0x01;
    const Bytes good = encodeFrame(2, {8, 0, 0, 0, 0, 0});
    const auto frames = feedAll(p, concat({bad, good}));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].payload[0], 8);
    EXPECT_EQ(p.badChecksums(), 1u);
}

TEST(FrameParser, FindsAFrameHiddenBehindANoiseHeaderThatAnnouncesALongFrame) {
    // AA 55 FF would make a naive parser wait for 261 bytes and swallow the real request.
    FrameParser p;
    const Bytes good = encodeFrame(2, {17, 0, 0, 0, 0, 0});
    const auto frames = feedAll(p, concat({{0xAA, 0x55, 0xFF, 0x02}, good}));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].payload[0], 17);
    EXPECT_EQ(p.pendingBytes(), 0u);
}

TEST(FrameParser, StaysBoundedUnderEndlessNoise) {
    FrameParser p;
    Bytes noise(10000, 0x5A);
    feedAll(p, noise);
    EXPECT_LE(p.pendingBytes(), FrameParser::kMaxBuffered);
    const Bytes good = encodeFrame(2, {5, 0, 0, 0, 0, 0});
    EXPECT_EQ(feedAll(p, good).size(), 1u);
}
