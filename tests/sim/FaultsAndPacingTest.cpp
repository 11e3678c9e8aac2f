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

TEST(FaultsPolicy, RateIsSeededAndAfterNFaultsEveryLaterRequest) {
    FaultPolicy a(Fault::Silent, 0.3, -1, 42);
    FaultPolicy b(Fault::Silent, 0.3, -1, 42);
    FaultPolicy c(Fault::Silent, 0.3, -1, 43);
    const auto da = decisions(a, 2000);
    EXPECT_EQ(da, decisions(b, 2000));
    EXPECT_NE(da, decisions(c, 2000));
    const auto faulted = std::count(da.begin(), da.end(), Fault::Silent);
    EXPECT_GT(faulted, 520);
    EXPECT_LT(faulted, 680);

    a.set(Fault::Corrupt, 0.0, 3);  // a new setting counts afresh
    EXPECT_EQ(decisions(a, 5), (std::vector<Fault>{Fault::None, Fault::None, Fault::None, Fault::Corrupt, Fault::Corrupt}));
    a.set(Fault::Noise, 0.0, -1);
    EXPECT_EQ(a.next(), Fault::Noise);
    a.set(Fault::None, 1.0, 0);
    EXPECT_EQ(a.next(), Fault::None);
}

TEST(FaultsShapes, EachFaultSpoilsTheReplyAsDescribed) {
    std::mt19937_64 rng(1);
    EXPECT_TRUE(applyFault(Fault::Silent, kAck, rng).empty());
    Bytes corrupt = kAck;
    Bytes badStart = kAck;
    corrupt.back() += 1;  // the checksum one higher (its low byte does not carry here)
    std::swap(badStart[0], badStart[1]);
    EXPECT_EQ(applyFault(Fault::Corrupt, kAck, rng).at(0).bytes, corrupt);
    EXPECT_EQ(applyFault(Fault::BadStart, kAck, rng).at(0).bytes, badStart);
    const Bytes truncated = applyFault(Fault::Truncate, kAck, rng).at(0).bytes;
    EXPECT_TRUE(truncated.size() >= 4 && truncated.size() < kAck.size()) << truncated.size();
    // Noise: 1 to 16 bytes that do not start a frame, then the frame intact.
    for (int i = 0; i < 50; ++i) {
        const Bytes b = applyFault(Fault::Noise, kAck, rng).at(0).bytes;
        ASSERT_TRUE(b.size() > kAck.size() && b.size() <= kAck.size() + 16) << b.size();
        EXPECT_NE(b[0], 0xAA);
        EXPECT_EQ(Bytes(b.end() - static_cast<long>(kAck.size()), b.end()), kAck);
    }
}

TEST(FaultsShapes, LateTailArrivesDuringTheToolsSecondRead) {
    std::mt19937_64 rng(1);
    const Bytes poll = encodeFrame(1, Bytes(82, 7));
    const auto late = applyFault(Fault::Late, poll, rng);
    ASSERT_EQ(late.size(), 2u);
    EXPECT_EQ(late[0].delay.count(), 0);
    EXPECT_GE(late[0].bytes.size(), 4u) << "the header arrives in time";
    Bytes joined = late[0].bytes;
    joined.insert(joined.end(), late[1].bytes.begin(), late[1].bytes.end());
    EXPECT_EQ(joined, poll);
    // First body read: LEN + 2 bytes within (LEN + 2) + 1000 ms; then 50 ms; then a second read
    // of at least a second.
    const long body = 82 + 2;
    EXPECT_GT(late[1].delay.count(), body + 1000 + 50);
    EXPECT_LT(late[1].delay.count(), body + 1000 + 50 + 1000);
}

TEST(SimWirePacing, ChunksFollowTenBitsAByteFromOneStartWithoutDrift) {
    EXPECT_NEAR(std::chrono::duration<double>(kByteTime).count(), 10.0 / 38400.0, 1e-9);
    const auto start = Clock::time_point(std::chrono::seconds(1));
    const auto chunks = pacedChunks(88, start, 4);
    ASSERT_EQ(chunks.size(), 22u);
    // The last chunk goes when the 88th byte has left the wire, not a rounding error later.
    EXPECT_EQ(chunks.back().at - start, std::chrono::duration_cast<Clock::duration>(wireTime(88)));
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        EXPECT_EQ(chunks[i].begin, i == 0 ? 0u : chunks[i - 1].end);
        EXPECT_EQ(chunks[i].end, std::min<std::size_t>(4 * i + 4, 88));
        EXPECT_TRUE(i == 0 || chunks[i].at > chunks[i - 1].at);
    }
    const auto odd = pacedChunks(7, start, 4);
    ASSERT_EQ(odd.size(), 2u);
    EXPECT_EQ(odd[1].end - odd[1].begin, 3u);
    EXPECT_TRUE(pacedChunks(0, start).empty());
}
