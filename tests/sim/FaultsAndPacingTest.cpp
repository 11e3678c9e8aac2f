// The pacing arithmetic of a 38400-baud line.
#include <gtest/gtest.h>

#include "Faults.h"
#include "Frame.h"
#include "WirePacing.h"

using namespace tarvola::sim;

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
