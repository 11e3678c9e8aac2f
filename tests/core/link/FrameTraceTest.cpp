// The frame trace queue that feeds the communication log: it never grows past its bound and says
// how many lines it had to drop.

#include <gtest/gtest.h>

#include <array>

#include "link/FrameTrace.h"

using namespace tarvola;

TEST(FrameTraceQueue, KeepsTheNewestLinesAndCountsTheDropped)
{
    FrameTraceQueue queue(3);
    const std::array<std::uint8_t, 2> bytes{0xAA, 0x55};
    for (int i = 0; i < 5; ++i)
        queue.onFrame(i % 2 ? IFrameObserver::Direction::Received : IFrameObserver::Direction::Sent, bytes,
                      ("op" + std::to_string(i)).c_str());
    queue.onFrame(IFrameObserver::Direction::Received, {}, "poll");

    std::vector<std::string> lines;
    EXPECT_EQ(queue.drain(lines), 3u);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(23), " <- AA 55  op3");
    EXPECT_EQ(lines[1].substr(23), " -> AA 55  op4");
    EXPECT_EQ(lines[2].substr(23), " <- (nothing)  poll");
    EXPECT_EQ(queue.drain(lines), 0u) << "the count starts again after a drain";
    EXPECT_EQ(lines.size(), 3u);
}
