// Frame codec: framing and the parser's resynchronisation on a dirty line.
#include <gtest/gtest.h>

#include "Frame.h"

using namespace tarvola::sim;

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
}

TEST(FrameParser, FindsTheGoodFrameBehindAnyGarbage) {
    struct Case {
        const char* what;
        Bytes garbage;
        std::uint64_t badChecksums;
    };
    Bytes badSum = encodeFrame(2, {7, 0, 0, 0, 0, 0});
    badSum.back() ^= 0x01;
    const Case cases[] = {
        {"false start bytes", {0x00, 0xAA, 0x13, 0xAA, 0xAA}, 0},
        {"a wrong checksum", badSum, 1},
        // AA 55 FF would make a naive parser wait for 261 bytes and swallow the real request.
        {"a noise header announcing a long frame", {0xAA, 0x55, 0xFF, 0x02}, 0},
        {"endless noise", Bytes(10000, 0x5A), 0},
    };
    // The garbage arrives first and the good frame in a later read, the harder case: whatever the
    // garbage left pending must not swallow it.
    const Bytes good = encodeFrame(2, {13, 0, 0, 0, 0, 0});
    for (const Case& k : cases) {
        FrameParser p;
        EXPECT_TRUE(p.feed(k.garbage.data(), k.garbage.size(), Clock::now()).empty()) << k.what;
        EXPECT_LE(p.pendingBytes(), FrameParser::kMaxBuffered) << k.what;
        const auto frames = p.feed(good.data(), good.size(), Clock::now());
        ASSERT_EQ(frames.size(), 1u) << k.what;
        EXPECT_EQ(frames[0].raw, good) << k.what;
        EXPECT_EQ(p.badChecksums(), k.badChecksums) << k.what;
        EXPECT_EQ(p.pendingBytes(), 0u) << k.what;
    }
}
