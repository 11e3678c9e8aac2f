// The version the controller reports after programming: only a whole sequence (blocks, request 96,
// request 10) counts as new firmware.
#include <gtest/gtest.h>

#include <cstring>

#include "Controller.h"
#include "SimTestSupport.h"

using namespace tarvola::sim;
using namespace tarvola::sim::test;

namespace {

struct Programming : ::testing::Test {
    Clock::time_point t0 = Clock::now();
    Controller c{SimOptions{}, t0};
    Reply ask(std::uint8_t code, const Bytes& p) { return c.handle(code, p, t0); }
    std::uint16_t reportedVersion() { return getBE16(&ask(2, control(13)).payload[10]); }
    // Enters programming, sends `blocks` blocks, then the closing requests asked for.
    void session(int blocks, bool request96) {
        Bytes code(kProgrammingCode, kProgrammingCode + 8);
        ASSERT_TRUE(isAck(ask(250, code)));
        Bytes block(130, 0x5A);
        block[0] = 128;  // word 128, low byte first
        block[1] = 0;
        for (int i = 0; i < blocks; ++i) ASSERT_TRUE(isAck(ask(251, block)));
        if (request96) ask(2, control(96));
        EXPECT_TRUE(isAck(ask(2, control(10))));
        EXPECT_FALSE(c.programming());
    }
};

}  // namespace

TEST_F(Programming, OnlyAWholeSequenceRaisesTheVersion) {
    session(0, true);   // no blocks
    session(2, false);  // no request 96
    EXPECT_EQ(reportedVersion(), 0x0206);
    session(2, true);
    EXPECT_EQ(reportedVersion(), 0x0207);
    EXPECT_EQ(c.flash()[256], 0x5A);  // word 128
    session(1, true);
    EXPECT_EQ(reportedVersion(), 0x0208);
}

TEST(ProgrammingTop, TheVersionStopsAtItsTop) {
    SimOptions o;
    o.version = 0xFFFF;
    const auto t0 = Clock::now();
    Controller c(o, t0);
    c.handle(250, Bytes(kProgrammingCode, kProgrammingCode + 8), t0);
    c.handle(251, Bytes(130, 0), t0);
    c.handle(2, control(96), t0);
    c.handle(2, control(10), t0);
    EXPECT_EQ(getBE16(&c.handle(2, control(13), t0).payload[10]), 0xFFFF);
}
