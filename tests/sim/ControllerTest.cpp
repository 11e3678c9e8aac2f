// The controller's replies: byte order per reply code, factory contents, block round trips,
// refusals, variant differences and firmware programming.
#include <gtest/gtest.h>

#include "Controller.h"
#include "Conversions.h"
#include "FuelMap.h"
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

TEST_F(ControllerTest, IdentityFieldsAreBigEndian) {
    const Reply r = ask(2, control(13));
    ASSERT_EQ(r.code, 8);
    ASSERT_GE(r.payload.size(), 30u);
    EXPECT_EQ(getBE32(&r.payload[0]) & 0x4u, 0x4u);  // firmware updates allowed
    EXPECT_EQ(r.payload[10], 0x02);                  // version 0x0206, high byte first
    EXPECT_EQ(r.payload[11], 0x06);
    // 15 March 2021 is 6192 days after 1 April 2004.
    EXPECT_EQ(getBE16(&r.payload[8]), 6192);
    const std::string serial(reinterpret_cast<const char*>(&r.payload[12]));
    EXPECT_EQ(serial, "VLD12345");
    EXPECT_TRUE(std::isalpha(r.payload[12]) && std::isalpha(r.payload[14]) && std::isdigit(r.payload[15]));
    EXPECT_EQ(r.payload[27], 0);  // byte 15 of the serial
    EXPECT_EQ(r.payload[28], 4);
    EXPECT_EQ(r.payload[29], 0);
}

TEST_F(ControllerTest, FactoryBaseBlockHoldsControllerCodes) {
    const Reply r = ask(2, control(7));
    ASSERT_EQ(r.code, 3);
    ASSERT_EQ(r.payload.size(), 28u);
    const Bytes& b = r.payload;
    EXPECT_EQ(getBE16(&b[0]), 4000);  // 1200 rpm as a period code
    EXPECT_EQ(b[4], 1);
    EXPECT_EQ(b[5], 71);               // 60 kPa: 255 × (0.24 + 0.04) = 71.4
    EXPECT_EQ(temperatureFromCode(b[6], 1), 35);
    EXPECT_GT(temperatureFromCode(static_cast<std::uint8_t>(b[6] - 1), 1), 35);  // the first such code
    EXPECT_EQ(b[7], 60);
    EXPECT_EQ(getBE16(&b[8]), 600);   // 8000 rpm
    EXPECT_EQ(getBE16(&b[10]), 686);  // 7000 rpm rounds 685.7 up
    EXPECT_EQ(b[12], 0x90);
    EXPECT_EQ(b[13], 112);  // 100 kPa
    EXPECT_EQ(b[14], 10);
    EXPECT_EQ(b[15], 4);
    EXPECT_EQ(b[17], 3);
    EXPECT_EQ(temperatureFromCode(b[19], 1), 60);
    EXPECT_EQ(b[20], 20);  // 0.5 s in 25 ms steps
    EXPECT_EQ(temperatureFromCode(b[21], 0), 100);
    EXPECT_EQ(b[22], 85);  // 10 V supply
}

TEST_F(ControllerTest, FactoryCorrectionsSetupAndSensorBlocks) {
    const Reply corr = ask(2, control(22));
    ASSERT_EQ(corr.code, 15);
    ASSERT_EQ(corr.payload.size(), 16u);
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(getBE16(&corr.payload[2 * i]), 250);

    const Reply adv = ask(2, control(34));
    ASSERT_EQ(adv.code, 26);
    ASSERT_EQ(adv.payload.size(), 30u);
    EXPECT_EQ(getBE16(&adv.payload[8]), 9600);  // 500 rpm
    EXPECT_EQ(adv.payload[12], 0x10);

    const Reply injectors = ask(2, control(8));
    ASSERT_EQ(injectors.code, 4);
    ASSERT_EQ(injectors.payload.size(), 21u);
    EXPECT_EQ(injectors.payload[2], 40);   // PWM 50 is held less 10
    EXPECT_EQ(injectors.payload[18], 163);  // 150 kPa

    const Reply times = ask(2, control(12));
    ASSERT_EQ(times.code, 7);
    ASSERT_EQ(times.payload.size(), 42u);
    EXPECT_EQ(times.payload[0], 100);
    EXPECT_EQ(times.payload[39], 100);

    const Reply sensors = ask(2, control(14));
    ASSERT_EQ(sensors.code, 9);
    ASSERT_EQ(sensors.payload.size(), 28u);
    EXPECT_EQ(sensors.payload[10], 26);  // 0.51 V
    EXPECT_EQ(sensors.payload[25], 1);
    EXPECT_EQ(sensors.payload[26], 1);
}

TEST_F(ControllerTest, WrongLengthsAndUnknownCodesAreRefused) {
    EXPECT_TRUE(isRefusal(ask(3, Bytes(27, 0))));
    EXPECT_TRUE(isRefusal(ask(2, Bytes(5, 0))));
    EXPECT_TRUE(isRefusal(ask(2, control(99))));
    EXPECT_TRUE(isRefusal(ask(77, Bytes(6, 0))));
    EXPECT_TRUE(isRefusal(ask(250, Bytes{'Q', 'M', '2', '0', '4', '8', '1', '8'})));
    EXPECT_TRUE(isRefusal(ask(251, Bytes(130, 0))));  // not programming
    EXPECT_TRUE(isRefusal(ask(2, control(96))));
    EXPECT_FALSE(c.programming());
}

TEST_F(ControllerTest, MemoryReadCarriesItsAddressBigEndianAndRefusesTheEnd) {
    const Reply r = ask(2, control(11, 320));
    ASSERT_EQ(r.code, 5);
    ASSERT_EQ(r.payload.size(), 34u);
    EXPECT_EQ(r.payload[0], 0x01);
    EXPECT_EQ(r.payload[1], 0x40);
    EXPECT_EQ(r.payload[2], 100);  // first map cell, 0 %
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

TEST_F(ControllerTest, PlainPointMapsAreLittleEndian) {
    c.pointMaps().petrol.add(2, 3.0);  // 750 units of 0.004 ms
    const Reply r = ask(2, control(30));
    ASSERT_EQ(r.code, 19);
    ASSERT_EQ(r.payload.size(), 188u);
    EXPECT_EQ(getLE32(&r.payload[8]), 750u);
    EXPECT_EQ(getLE16(&r.payload[124 + 4]), 1u);
    EXPECT_EQ(getLE16(&r.payload[186]), 1u);
    EXPECT_EQ(ask(2, control(31)).code, 20);
    EXPECT_TRUE(isRefusal(ask(2, control(37))));
    EXPECT_TRUE(isRefusal(ask(2, control(38))));
    EXPECT_TRUE(isRefusal(ask(2, control(36))));
    EXPECT_TRUE(isAck(ask(2, control(28))));
    EXPECT_EQ(getLE16(&ask(2, control(30)).payload[186]), 0u);
}

TEST_F(ControllerTest, LiveSampleLayout) {
    const Reply r = ask(2, control(6));
    ASSERT_EQ(r.code, 1);
    ASSERT_EQ(r.payload.size(), 82u);
    const Bytes& s = r.payload;
    EXPECT_EQ(s[0], 2);
    const double rpm = 4800000.0 / getBE16(&s[16]);
    EXPECT_NEAR(rpm, 800, 40);
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_NEAR(getBE16(&s[18 + 8 * k]) * 0.025, 3.0, 0.2) << "cylinder " << k;
        EXPECT_EQ(getBE16(&s[20 + 8 * k]), 40) << "1.0 ms main correction";
        EXPECT_EQ(getBE16(&s[22 + 8 * k]), 0);  // odd entries unused
        EXPECT_EQ(getBE16(&s[24 + 8 * k]), 0);
    }
    EXPECT_EQ(getBE16(&s[18 + 8 * 4]), 0);  // beyond the fourth injector
    EXPECT_NEAR(s[5] * 5.0 / 255.0 * 6.0, 14.1, 0.2);
    EXPECT_EQ(s[11], 0);
    EXPECT_NEAR((s[10] / 255.0 + 0.00842) / 0.002421, 35, 3);  // absolute manifold sensor
    EXPECT_NEAR((s[8] / 255.0 - 0.04) / 0.004, 100, 4);
    EXPECT_EQ(temperatureFromCode(s[2], 1), 20);
}

TEST_F(ControllerTest, BusRequestsAnswerLittleEndianAndOnlyWhileConnected) {
    Bytes q(20, 0);
    putLE32(&q[0], 0x7E0);
    putLE32(&q[4], 0x7E0);
    putLE32(&q[8], 0x7E0);
    q[12] = 2;
    q[13] = 1;
    q[14] = 0x1C;
    const Reply r = ask(25, q);
    ASSERT_EQ(r.code, 24);
    ASSERT_EQ(r.payload.size(), 14u);
    EXPECT_EQ(getLE16(&r.payload[0]), 1);
    EXPECT_EQ(getLE32(&r.payload[2]), 0x7E8u);
    EXPECT_EQ((Bytes{r.payload.begin() + 6, r.payload.begin() + 10}), (Bytes{3, 0x41, 0x1C, 6}));

    // Several at once: ids, count at 12-13 (little-endian), four bytes per request from 14.
    Bytes m(14 + 8, 0);
    std::copy(q.begin(), q.begin() + 12, m.begin());
    putLE16(&m[12], 2);
    m[14] = 2, m[15] = 1, m[16] = 0x06;
    m[18] = 2, m[19] = 1, m[20] = 0x0B;
    const Reply mr = ask(23, m);
    ASSERT_EQ(mr.code, 24);
    EXPECT_EQ(getLE16(&mr.payload[0]), 2);
    EXPECT_EQ(mr.payload[2 + 12 + 4 + 2], 0x0B);
    Bytes shortCount = m;
    putLE16(&shortCount[12], 3);
    EXPECT_TRUE(isRefusal(ask(23, shortCount)));

    Bytes record = ask(2, control(27)).payload;
    ASSERT_EQ(record.size(), 12u);
    EXPECT_EQ(getLE32(&record[0]), 0x7E0u);
    record[8] = 0;
    EXPECT_TRUE(isAck(ask(18, record)));
    const Reply off = ask(25, q);
    ASSERT_EQ(off.code, 24);
    EXPECT_EQ(off.payload, (Bytes{0, 0}));
}

TEST_F(ControllerTest, ErrorFlagsAreClearedByTheResetRequest) {
    c.memory().setErrorFlags({0x01, 0x80, 0x41, 0x01});
    const Reply r = ask(2, control(5));
    ASSERT_EQ(r.code, 6);
    EXPECT_EQ(r.payload, (Bytes{0x01, 0x80, 0x41, 0x01}));
    EXPECT_TRUE(isAck(ask(2, control(10))));
    EXPECT_EQ(ask(2, control(5)).payload, (Bytes{0, 0, 0, 0}));
}

TEST_F(ControllerTest, GasPressureFollowsTheWorkingPressureSetting) {
    Bytes base = ask(2, control(7)).payload;
    base[13] = pressureCode(150);
    ASSERT_TRUE(isAck(ask(3, base)));
    const Reply r = ask(2, control(6));
    ASSERT_EQ(r.code, 1);
    EXPECT_NEAR(pressureFromCode(r.payload[8]), 150, 4);
}
