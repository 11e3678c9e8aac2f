// The controller's replies: byte order per reply code, factory contents, block round trips,
// refusals, variant differences and firmware programming (only a whole sequence of blocks,
// request 96 and request 10 counts as new firmware).
#include <gtest/gtest.h>

#include "Controller.h"
#include "Conversions.h"
#include "SimTestSupport.h"

using namespace tarvola::sim;
using namespace tarvola::sim::test;

namespace {

struct ControllerTest : ::testing::Test {
    Clock::time_point t0 = Clock::now();
    Controller c{SimOptions{}, t0};
    Reply ask(std::uint8_t code, const Bytes& p) { return c.handle(code, p, t0); }
};

// A programming session: enters with the access code, writes `blocks` blocks to word 128, sends
// request 96 when asked and then request 10. False when any step is refused.
bool programmingSession(Controller& c, int blocks, bool request96) {
    const auto t = Clock::now();
    if (!isAck(c.handle(250, Bytes(kProgrammingCode, kProgrammingCode + 8), t))) return false;
    Bytes block(130, 0x5A);
    block[0] = 128;  // word address, low byte first
    block[1] = 0;
    for (int i = 0; i < blocks; ++i)
        if (!isAck(c.handle(251, block, t))) return false;
    if (request96) c.handle(2, control(96), t);
    return isAck(c.handle(2, control(10), t)) && !c.programming();
}

std::uint16_t reportedVersion(Controller& c) { return getBE16(&c.handle(2, control(13), Clock::now()).payload[10]); }

}  // namespace

TEST_F(ControllerTest, IdentityFieldsAreBigEndian) {
    const Reply r = ask(2, control(13));
    ASSERT_EQ(r.code, 8);
    ASSERT_GE(r.payload.size(), 30u);
    const Bytes expected = {
        0, 0, 0, 0x04, 0, 0, 0, 0,  // flag words; bit 2 of the first: firmware updates allowed
        0x18, 0x30, 0x02, 0x06,     // 15 March 2021 = 6192 days after 1 April 2004; version 0x0206
        'V', 'L', 'D', '1', '2', '3', '4', '5', 0, 0, 0, 0, 0, 0, 0, 0,  // plain-text serial
        4, 0};                      // injectors, device ID
    EXPECT_EQ(Bytes(r.payload.begin(), r.payload.begin() + 30), expected);
}

TEST_F(ControllerTest, FactoryBlocksHoldControllerCodesBigEndian) {
    struct Field {
        std::uint8_t request, reply;
        std::size_t size, at, width;
        unsigned code;
        const char* what;
    };
    const Field fields[] = {
        {7, 3, 28, 0, 2, 4000, "switch speed 1200 rpm as a period code"},
        {7, 3, 28, 5, 1, 71, "switch pressure 60 kPa: 255 × (0.24 + 0.04) = 71.4"},
        {7, 3, 28, 7, 1, 60, "switch delay 30 s in half seconds"},
        {7, 3, 28, 10, 2, 686, "7000 rpm rounds 685.7 up"},
        {7, 3, 28, 14, 1, 10, "pressure gain 1.0"},
        {7, 3, 28, 20, 1, 20, "emulator delay 0.5 s in 25 ms steps"},
        {7, 3, 28, 22, 1, 85, "minimum supply 10 V"},
        {8, 4, 21, 1, 1, 160, "PWM offset 4.0 ms in 25 µs steps"},
        {8, 4, 21, 2, 1, 40, "PWM 50 is held less 10"},
        {22, 15, 16, 14, 2, 250, "last main correction, 1.0 ms in 0.004 ms codes"},
        {12, 7, 42, 39, 1, 100, "last multiplier, 0 %"},
        {14, 9, 28, 10, 1, 26, "lambda emulation 0.51 V"},
        {34, 26, 30, 12, 1, 0x10, "absolute manifold sensor"},
    };
    for (const Field& f : fields) {
        const Reply r = ask(2, control(f.request));
        ASSERT_EQ(r.code, f.reply) << f.what;
        ASSERT_EQ(r.payload.size(), f.size) << f.what;
        EXPECT_EQ(f.width == 2 ? getBE16(&r.payload[f.at]) : r.payload[f.at], f.code) << f.what;
    }
    // Temperatures are the first code of the sensor's column that reads at or below the value.
    const Bytes base = ask(2, control(7)).payload;
    for (const auto& [at, column, celsius] : {std::array{6, 1, 35}, std::array{19, 1, 60}, std::array{21, 0, 100}}) {
        const auto code = base[static_cast<std::size_t>(at)];
        EXPECT_EQ(temperatureFromCode(code, column), celsius) << "base byte " << at;
        EXPECT_GT(temperatureFromCode(static_cast<std::uint8_t>(code - 1), column), celsius) << "base byte " << at;
    }
}

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

TEST(ControllerPointMaps, PlainControllerSendsThemLittleEndianTheVariantBigEndian) {
    const auto t0 = Clock::now();
    for (const bool variant : {false, true}) {
        SimOptions o;
        o.variant = variant ? kVariantId : 0;
        Controller c(o, t0);
        auto ask = [&](std::uint8_t sub) { return c.handle(2, control(sub), t0); };
        auto get32 = variant ? getBE32 : getLE32;
        auto get16 = variant ? getBE16 : getLE16;
        c.pointMaps().petrol.add(2, 3.0);  // 750 units of 0.004 ms
        const Reply r = ask(variant ? 37 : 30);
        ASSERT_EQ(r.code, variant ? 28 : 19);
        ASSERT_EQ(r.payload.size(), 188u);
        EXPECT_EQ(get32(&r.payload[8]), 750u);
        EXPECT_EQ(get16(&r.payload[124 + 4]), 1u);
        EXPECT_EQ(get16(&r.payload[186]), 1u);
        EXPECT_EQ(ask(variant ? 38 : 31).code, variant ? 29 : 20);
        // The other controller's point-map and live-sample requests are refused.
        for (const std::uint8_t other : variant ? Bytes{30, 31, 6} : Bytes{37, 38, 36})
            EXPECT_TRUE(isRefusal(ask(other))) << int{other};
        EXPECT_TRUE(isAck(ask(28)));
        EXPECT_EQ(get16(&ask(variant ? 37 : 30).payload[186]), 0u) << "erased";
    }
}

TEST_F(ControllerTest, LiveSampleLayout) {
    const Reply r = ask(2, control(6));
    ASSERT_EQ(r.code, 1);
    ASSERT_EQ(r.payload.size(), 82u);
    const Bytes& s = r.payload;
    EXPECT_EQ(s[0], 2);
    EXPECT_NEAR(4800000.0 / getBE16(&s[16]), 800, 40);
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_NEAR(getBE16(&s[18 + 8 * k]) * 0.025, 3.0, 0.2) << "cylinder " << k;
        EXPECT_EQ(getBE16(&s[20 + 8 * k]), 40) << "1.0 ms main correction";
    }
    EXPECT_EQ(getBE16(&s[18 + 8 * 4]), 0);  // beyond the fourth injector
    EXPECT_NEAR(s[5] * 5.0 / 255.0 * 6.0, 14.1, 0.2);
    EXPECT_EQ(s[11], 0);
    EXPECT_NEAR((s[10] / 255.0 + 0.00842) / 0.002421, 35, 3);  // absolute manifold sensor
    EXPECT_NEAR((s[8] / 255.0 - 0.04) / 0.004, 100, 4);
    EXPECT_EQ(temperatureFromCode(s[2], 1), 20);

    // The gas pressure follows the working-pressure setting.
    Bytes base = ask(2, control(7)).payload;
    base[13] = pressureCode(150);
    ASSERT_TRUE(isAck(ask(3, base)));
    EXPECT_NEAR(pressureFromCode(ask(2, control(6)).payload[8]), 150, 4);
}

TEST_F(ControllerTest, BusRequestsAnswerLittleEndianAndOnlyWhileConnected) {
    // Request, filter and mask identifiers 0x7E0, then length, service 1 and parameter 0x1C.
    const Bytes ids = {0xE0, 0x07, 0, 0, 0xE0, 0x07, 0, 0, 0xE0, 0x07, 0, 0};
    Bytes q = ids;
    q.insert(q.end(), {2, 1, 0x1C, 0, 0, 0, 0, 0});
    const Reply r = ask(25, q);
    ASSERT_EQ(r.code, 24);
    // One frame from 0x7E8: single frame of three bytes, padded.
    EXPECT_EQ(r.payload, (Bytes{1, 0, 0xE8, 0x07, 0, 0, 3, 0x41, 0x1C, 6, 0x55, 0x55, 0x55, 0x55}));

    // Several at once: the count at 12-13, low byte first, then four bytes per request.
    Bytes m = ids;
    m.insert(m.end(), {2, 0, 2, 1, 0x06, 0, 2, 1, 0x0B, 0});
    const Reply mr = ask(23, m);
    ASSERT_EQ(mr.code, 24);
    EXPECT_EQ(getLE16(&mr.payload[0]), 2);
    EXPECT_EQ(mr.payload[2 + 12 + 4 + 2], 0x0B);
    m[12] = 3;
    EXPECT_TRUE(isRefusal(ask(23, m))) << "more requests counted than sent";

    Bytes record = ask(2, control(27)).payload;
    ASSERT_EQ(record.size(), 12u);
    EXPECT_EQ(getLE32(&record[0]), 0x7E0u);
    record[8] = 0;
    EXPECT_TRUE(isAck(ask(18, record)));
    EXPECT_EQ(ask(25, q).payload, (Bytes{0, 0})) << "a disconnected gateway passes nothing on";
}

TEST_F(ControllerTest, OnlyAWholeProgrammingSequenceRaisesTheVersionAndOnlyWhereUpdatesAreAllowed) {
    EXPECT_TRUE(programmingSession(c, 0, true));   // no blocks
    EXPECT_TRUE(programmingSession(c, 2, false));  // no request 96
    EXPECT_EQ(reportedVersion(c), 0x0206);
    EXPECT_TRUE(programmingSession(c, 2, true));
    EXPECT_EQ(reportedVersion(c), 0x0207);
    EXPECT_EQ(c.flash()[256], 0x5A);  // word 128
    EXPECT_TRUE(programmingSession(c, 1, true));
    EXPECT_EQ(reportedVersion(c), 0x0208);

    SimOptions top;
    top.version = 0xFFFF;
    Controller atTop(top, t0);
    EXPECT_TRUE(programmingSession(atTop, 1, true));
    EXPECT_EQ(reportedVersion(atTop), 0xFFFF) << "the version stops at its top";

    SimOptions locked;
    locked.noFirmwareUpdate = true;
    Controller l(locked, t0);
    EXPECT_EQ(getBE32(&l.handle(2, control(13), t0).payload[0]), 0u) << "flag bit 2 clear, the rest as before";
    EXPECT_FALSE(programmingSession(l, 1, true));
    EXPECT_FALSE(l.programming());
}
