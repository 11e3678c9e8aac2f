// The sample buffer's bounds.

#include <gtest/gtest.h>

#include "monitor/CDiagData.h"

using namespace tarvola;

namespace {

CDiag numbered(std::uint32_t n)
{
    CDiag s;
    s.setSequence(n);
    return s;
}

} // namespace

TEST(DiagBuffer, HoldsAtMost501AndDropsTheOldest250AtOnce)
{
    CDiagData buffer;
    CDiag out = numbered(77);
    EXPECT_FALSE(buffer.newest(out));
    EXPECT_EQ(out.sequence(), 77u); // left alone when empty

    for (std::uint32_t n = 1; n <= 501; ++n)
        buffer.append(numbered(n));
    EXPECT_EQ(buffer.count(), 501u);
    buffer.append(numbered(502));
    EXPECT_EQ(buffer.count(), 252u);
    std::vector<CDiag> range;
    buffer.copyRange(range, 250, 1000); // cut at the end
    ASSERT_EQ(range.size(), 2u);
    EXPECT_EQ(range[0].sequence(), 501u);
    buffer.copyRange(range, 300, 1000);
    EXPECT_EQ(range.size(), 2u);
}
