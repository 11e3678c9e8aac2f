// The car behind the OBD gateway: supported-parameter mask, ISO 15765-2 segmentation of stored
// trouble codes, clearing them, the response filter and the gateway reply layout.
#include <gtest/gtest.h>

#include "ObdCar.h"

using namespace tarvola::sim;

namespace {

BusQuery query(std::uint8_t service, std::uint8_t pid = 0, std::uint8_t length = 2) {
    BusQuery q;
    q.requestId = 0x7E0;
    q.filterId = 0x7E0;
    q.filterMask = 0x7E0;
    q.length = length;
    q.service = service;
    q.pid = pid;
    return q;
}

EngineSnapshot idle() {
    EngineSnapshot e;
    e.rpm = 800;
    e.manifoldKPa = 35;
    e.lambda1Volts = 0.45;
    e.shortTrimPercent = -3.0;
    return e;
}

}  // namespace

TEST(ObdCar, SupportedMaskCarriesTheParametersThePageUses) {
    ObdCar car;
    const auto f = car.answer(query(1, 0x00), idle());
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].id, 0x7E8u);
    EXPECT_EQ(f[0].data[0], 6);
    EXPECT_EQ(f[0].data[1], 0x41);
    EXPECT_EQ(f[0].data[2], 0x00);
    const std::uint32_t mask = getBE32(&f[0].data[3]);
    for (int pid : {0x06, 0x07, 0x0B, 0x14, 0x15, 0x1C}) EXPECT_TRUE(mask & (1u << (32 - pid))) << pid;
    for (int pid : {0x08, 0x09, 0x10, 0x18, 0x19, 0x20}) EXPECT_FALSE(mask & (1u << (32 - pid))) << pid;
    EXPECT_EQ(car.answer(query(1, 0x10), idle())[0].data[1], 0x7F) << "unsupported: negative response";
}

TEST(ObdCar, TroubleCodesUseFirstAndConsecutiveFramesWhenTheyDoNotFit) {
    ObdCar car;
    car.setTroubleCodes({0x0171, 0x0301, 0x0302});
    const auto status = car.answer(query(1, 0x01), idle());
    EXPECT_EQ(status[0].data[3], 0x83);  // lamp on, three codes

    const auto f = car.answer(query(3, 0, 1), idle());
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].data[0] & 0xF0, 0x10);
    EXPECT_EQ(f[0].data[1], 8);  // 43, count, three codes
    EXPECT_EQ(f[0].data[2], 0x43);
    EXPECT_EQ(f[0].data[3], 3);
    EXPECT_EQ(getBE16(&f[0].data[4]), 0x0171);
    EXPECT_EQ(getBE16(&f[0].data[6]), 0x0301);
    EXPECT_EQ(f[1].data[0], 0x21);
    EXPECT_EQ(getBE16(&f[1].data[1]), 0x0302);

    car.setTroubleCodes({0x0171, 0x0301});
    const auto single = car.answer(query(3, 0, 1), idle());
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0].data[0], 6);
    EXPECT_EQ(single[0].data[2], 2);
    EXPECT_EQ(getBE16(&single[0].data[3]), 0x0171);
    EXPECT_EQ(getBE16(&single[0].data[5]), 0x0301);
}

TEST(ObdCar, ServiceFourClearsTheCodesAndTheLamp) {
    ObdCar car;
    const auto cleared = car.answer(query(4, 0, 1), idle());
    ASSERT_EQ(cleared.size(), 1u);
    EXPECT_EQ(cleared[0].data[1], 0x44);
    EXPECT_TRUE(car.troubleCodes().empty());
    EXPECT_EQ(car.answer(query(1, 0x01), idle())[0].data[3], 0);
    const auto none = car.answer(query(3, 0, 1), idle());
    EXPECT_EQ(none[0].data[0], 2);
    EXPECT_EQ(none[0].data[2], 0);
}

TEST(ObdCar, GatewayReplyIsLittleEndianAndBoundedByTheFrameLength) {
    BusFrame f;
    f.id = 0x18DAF110;
    f.data = {1, 2, 3, 4, 5, 6, 7, 8};
    const Bytes one = encodeBusReply({f});
    EXPECT_EQ(one, (Bytes{1, 0, 0x10, 0xF1, 0xDA, 0x18, 1, 2, 3, 4, 5, 6, 7, 8}));
    const Bytes many = encodeBusReply(std::vector<BusFrame>(30, f));
    EXPECT_EQ(getLE16(&many[0]), 21);
    EXPECT_LE(many.size(), 255u);
}

TEST(ObdCar, EachBusAnswersOnlyItsOwnRequestIdentifiers) {
    struct Case {
        ObdBus bus;
        std::uint32_t request, filter, sender;
    };
    const Case cases[] = {{ObdBus::Can11, 0x7E0, 0x7E0, 0x7E8},
                          {ObdBus::KLine, 0x7A0, 0x7A8, 0x7A8},
                          {ObdBus::Can29, 0x18DA00F1, 0x18DAF100, 0x18DAF110},
                          {ObdBus::Can29, 0x18DA10F1, 0x18DAF100, 0x18DAF110}};
    for (const Case& c : cases) {
        ObdCar car(c.bus);
        BusQuery q = query(1, 0x00);
        q.requestId = c.request;
        q.filterId = c.filter;
        q.filterMask = c.filter;
        const auto f = car.answer(q, idle());
        ASSERT_EQ(f.size(), 1u) << std::hex << c.request;
        EXPECT_EQ(f[0].id, c.sender);
        // The other buses' requests find nobody.
        for (std::uint32_t other : {0x7E0u, 0x7A0u, 0x18DA00F1u}) {
            if (ObdCar::responderFor(c.bus, other) != 0) continue;
            q.requestId = other;
            EXPECT_TRUE(car.answer(q, idle()).empty()) << std::hex << other;
        }
    }
    // A filter that does not let the responder through drops the answer.
    ObdCar car(ObdBus::Can29);
    BusQuery q = query(1, 0x00);
    q.requestId = 0x18DA00F1;
    q.filterId = 0x7E0;
    q.filterMask = 0x7E0;
    EXPECT_TRUE(car.answer(q, idle()).empty());
    EXPECT_EQ(ObdCar::baseIdFor(ObdBus::KLine), 0x7A0u);
    EXPECT_GT(ObdCar::baseIdFor(ObdBus::Can29), 0x7FFu);
    EXPECT_EQ(ObdCar::baseIdFor(ObdBus::Can11), 0x7E0u);
}
