// Fault selection (seeded, rate and after-N) and the shape of each faulty reply; the pacing
// arithmetic of a 38400-baud line.
#include <gtest/gtest.h>

#include "Faults.h"
#include "Frame.h"
#include "WirePacing.h"

using namespace tarvola::sim;

namespace {

std::vector<Fault> decisions(FaultPolicy& p, int n) {
    std::vector<Fault> out;
    for (int i = 0; i < n; ++i) out.push_back(p.next());
    return out;
}

const Bytes kAck = encodeFrame(2, {4, 0, 0, 0, 0, 0});

}  // namespace

TEST(FaultPolicy, RateIsSeededAndRoughlyHonoured) {
    FaultPolicy a(Fault::Silent, 0.3, -1, 42);
    FaultPolicy b(Fault::Silent, 0.3, -1, 42);
    FaultPolicy c(Fault::Silent, 0.3, -1, 43);
    const auto da = decisions(a, 2000);
    EXPECT_EQ(da, decisions(b, 2000));
    EXPECT_NE(da, decisions(c, 2000));
    const auto faulted = std::count(da.begin(), da.end(), Fault::Silent);
    EXPECT_GT(faulted, 520);
    EXPECT_LT(faulted, 680);
}

TEST(FaultPolicy, AfterNFaultsEveryLaterRequest) {
    FaultPolicy p(Fault::Corrupt, 0.0, 3, 1);
    EXPECT_EQ(decisions(p, 6),
              (std::vector<Fault>{Fault::None, Fault::None, Fault::None, Fault::Corrupt, Fault::Corrupt, Fault::Corrupt}));
    p.set(Fault::Late, 0.0, 1);  // a new setting counts afresh
    EXPECT_EQ(decisions(p, 2), (std::vector<Fault>{Fault::None, Fault::Late}));
    p.set(Fault::Noise, 0.0, -1);
    EXPECT_EQ(p.next(), Fault::Noise);
    p.set(Fault::None, 1.0, 0);
    EXPECT_EQ(p.next(), Fault::None);
}

TEST(FaultShapes, EachFaultSpoilsTheReplyAsDescribed) {
    std::mt19937_64 rng(1);
    EXPECT_TRUE(applyFault(Fault::Silent, kAck, rng).empty());

    const auto corrupt = applyFault(Fault::Corrupt, kAck, rng);
    ASSERT_EQ(corrupt.size(), 1u);
    EXPECT_EQ(getBE16(&corrupt[0].bytes[10]), getBE16(&kAck[10]) + 1);
    EXPECT_TRUE(std::equal(kAck.begin(), kAck.end() - 2, corrupt[0].bytes.begin()));

    const auto badStart = applyFault(Fault::BadStart, kAck, rng);
    EXPECT_EQ(badStart[0].bytes[0], 0x55);
    EXPECT_EQ(badStart[0].bytes[1], 0xAA);

    const auto truncated = applyFault(Fault::Truncate, kAck, rng);
    ASSERT_EQ(truncated.size(), 1u);
    EXPECT_GE(truncated[0].bytes.size(), 4u);
    EXPECT_LT(truncated[0].bytes.size(), kAck.size());
}

TEST(FaultShapes, LateTailArrivesDuringTheToolsSecondRead) {
    std::mt19937_64 rng(1);
    const Bytes poll = encodeFrame(1, Bytes(82, 7));
    const auto late = applyFault(Fault::Late, poll, rng);
    ASSERT_EQ(late.size(), 2u);
    EXPECT_EQ(late[0].delay.count(), 0);
    Bytes joined = late[0].bytes;
    joined.insert(joined.end(), late[1].bytes.begin(), late[1].bytes.end());
    EXPECT_EQ(joined, poll);
    // First body read: LEN + 2 bytes within (LEN + 2) + 1000 ms; then 50 ms; then a second read
    // of at least a second.
    const long body = 82 + 2;
    EXPECT_GT(late[1].delay.count(), body + 1000 + 50);
    EXPECT_LT(late[1].delay.count(), body + 1000 + 50 + 1000);
    EXPECT_GE(late[0].bytes.size(), 4u) << "the header arrives in time";
}

TEST(FaultShapes, NoiseComesBeforeAnIntactFrame) {
    std::mt19937_64 rng(9);
    for (int i = 0; i < 50; ++i) {
        const auto noisy = applyFault(Fault::Noise, kAck, rng);
        ASSERT_EQ(noisy.size(), 1u);
        const Bytes& b = noisy[0].bytes;
        ASSERT_GT(b.size(), kAck.size());
        EXPECT_LE(b.size(), kAck.size() + 16);
        EXPECT_NE(b[0], 0xAA);
        EXPECT_TRUE(std::equal(kAck.begin(), kAck.end(), b.end() - static_cast<long>(kAck.size())));
    }
}

TEST(WirePacing, ByteTimeIsTenBitsAt38400Baud) {
    EXPECT_NEAR(std::chrono::duration<double>(kByteTime).count(), 10.0 / 38400.0, 1e-9);
    // A 12-byte poll request and its 88-byte reply: about 26 ms on the wire.
    using Millis = std::chrono::duration<double, std::milli>;
    EXPECT_NEAR(Millis(wireTime(12 + 88)).count(), 26.04, 0.01);
}

TEST(WirePacing, ReplyStartsWhenTheRequestWouldHaveArrived) {
    const auto first = Clock::time_point(std::chrono::seconds(5));
    EXPECT_EQ(replyEarliest(first, 12) - first, std::chrono::duration_cast<Clock::duration>(wireTime(12)));
}

TEST(WirePacing, ChunksAreScheduledFromOneStartWithoutDrift) {
    const auto start = Clock::time_point(std::chrono::seconds(1));
    const auto chunks = pacedChunks(88, start, 4);
    ASSERT_EQ(chunks.size(), 22u);
    EXPECT_EQ(chunks.front().begin, 0u);
    EXPECT_EQ(chunks.front().end, 4u);
    EXPECT_EQ(chunks.back().end, 88u);
    // The last chunk goes when the 88th byte has left the wire, not a rounding error later.
    EXPECT_EQ(chunks.back().at - start, std::chrono::duration_cast<Clock::duration>(wireTime(88)));
    for (std::size_t i = 1; i < chunks.size(); ++i) {
        EXPECT_EQ(chunks[i].begin, chunks[i - 1].end);
        EXPECT_GT(chunks[i].at, chunks[i - 1].at);
    }
    const auto odd = pacedChunks(7, start, 4);
    ASSERT_EQ(odd.size(), 2u);
    EXPECT_EQ(odd[1].end - odd[1].begin, 3u);
    EXPECT_TRUE(pacedChunks(0, start).empty());
}
