// The controller's replies: refusals of wrong lengths and unknown codes, and the memory reads and
// writes with their big-endian address and the end of the memory.
#include <gtest/gtest.h>

#include "Controller.h"
#include "SimTestSupport.h"

using namespace tarvola::sim;
using namespace tarvola::sim::test;

namespace {

struct ControllerTest : ::testing::Test {
    Clock::time_point t0 = Clock::now();
    Controller c{SimOptions{}, t0};
    Reply ask(std::uint8_t code, const Bytes& p) { return c.handle(code, p, t0); }
};

}  // namespace

TEST_F(ControllerTest, WrongLengthsAndUnknownCodesAreRefused) {
    const std::pair<std::uint8_t, Bytes> requests[] = {
        {3, Bytes(27, 0)}, {2, Bytes(5, 0)}, {2, control(99)}, {77, Bytes(6, 0)}, {2, control(96)},
        {250, Bytes{'Q', 'M', '2', '0', '4', '8', '1', '8'}}, {251, Bytes(130, 0)}};  // and not programming
    for (const auto& [code, payload] : requests) EXPECT_TRUE(isRefusal(ask(code, payload))) << int{code};
    EXPECT_FALSE(c.programming());
}

TEST_F(ControllerTest, MemoryReadCarriesItsAddressBigEndianAndRefusesTheEnd) {
    const Reply r = ask(2, control(11, 320));
    ASSERT_EQ(r.code, 5);
    ASSERT_EQ(r.payload.size(), 34u);
    EXPECT_EQ(Bytes(r.payload.begin(), r.payload.begin() + 3), (Bytes{0x01, 0x40, 100}));  // first map cell, 0 %
    EXPECT_EQ(ask(2, control(11, ControllerMemory::kSize - 32)).code, 5);
    EXPECT_TRUE(isRefusal(ask(2, control(11, ControllerMemory::kSize - 31))));
    EXPECT_TRUE(isRefusal(ask(2, control(11, 0xFFFF))));

    Bytes w(34, 0);
    putBE16(&w[0], 0x0800);
    w[2] = 0xAB;
    EXPECT_TRUE(isAck(ask(5, w)));
    EXPECT_EQ(ask(2, control(11, 0x0800)).payload[2], 0xAB);
    putBE16(&w[0], ControllerMemory::kSize - 16);
    EXPECT_TRUE(isRefusal(ask(5, w)));
}
