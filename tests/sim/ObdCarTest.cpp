// The car behind the OBD gateway: supported-parameter mask, ISO 15765-2 segmentation of stored
// trouble codes, clearing them, the response filter and the gateway reply layout.
#include <gtest/gtest.h>

#include "ObdCar.h"

using namespace tarvola::sim;

namespace {

using Data = std::array<std::uint8_t, 8>;

BusQuery query(std::uint8_t service, std::uint8_t pid = 0, std::uint8_t length = 2) {
    BusQuery q;
    q.requestId = q.filterId = q.filterMask = 0x7E0;
    q.length = length;
    q.service = service;
    q.pid = pid;
    return q;
}

const EngineSnapshot kIdle{};  // what the car says here does not depend on how it runs

}  // namespace

TEST(ObdCar, SupportedMaskCarriesTheParametersThePageUses) {
    ObdCar car;
    const auto f = car.answer(query(1, 0x00), kIdle);
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ((Bytes{f[0].data.begin(), f[0].data.begin() + 3}), (Bytes{6, 0x41, 0x00}));
    const std::uint32_t mask = getBE32(&f[0].data[3]);
    for (int pid : {0x06, 0x07, 0x0B, 0x14, 0x15, 0x1C}) EXPECT_TRUE(mask & (1u << (32 - pid))) << pid;
    for (int pid : {0x08, 0x09, 0x10, 0x18, 0x19, 0x20}) EXPECT_FALSE(mask & (1u << (32 - pid))) << pid;
    EXPECT_EQ(car.answer(query(1, 0x10), kIdle)[0].data[1], 0x7F) << "unsupported: negative response";
}

TEST(ObdCar, TroubleCodesUseFirstAndConsecutiveFramesWhenTheyDoNotFitAndServiceFourClearsThem) {
    ObdCar car;
    car.setTroubleCodes({0x0171, 0x0301, 0x0302});
    EXPECT_EQ(car.answer(query(1, 0x01), kIdle)[0].data[3], 0x83);  // lamp on, three codes
    const auto three = car.answer(query(3, 0, 1), kIdle);
    ASSERT_EQ(three.size(), 2u);
    EXPECT_EQ(three[0].data, (Data{0x10, 8, 0x43, 3, 0x01, 0x71, 0x03, 0x01}));  // 43, count, three codes
    EXPECT_EQ(three[1].data, (Data{0x21, 0x03, 0x02, 0x55, 0x55, 0x55, 0x55, 0x55}));

    car.setTroubleCodes({0x0171, 0x0301});
    const auto two = car.answer(query(3, 0, 1), kIdle);
    ASSERT_EQ(two.size(), 1u);
    EXPECT_EQ(two[0].data, (Data{6, 0x43, 2, 0x01, 0x71, 0x03, 0x01, 0x55}));

    const auto cleared = car.answer(query(4, 0, 1), kIdle);
    ASSERT_EQ(cleared.size(), 1u);
    EXPECT_EQ(cleared[0].data[1], 0x44);
    EXPECT_TRUE(car.troubleCodes().empty());
    EXPECT_EQ(car.answer(query(1, 0x01), kIdle)[0].data[3], 0) << "lamp off";
    EXPECT_EQ(car.answer(query(3, 0, 1), kIdle)[0].data, (Data{2, 0x43, 0, 0x55, 0x55, 0x55, 0x55, 0x55}));
}

TEST(ObdCar, GatewayReplyIsLittleEndianAndHoldsAtMostTwentyOneFrames) {
    BusFrame f;
    f.id = 0x18DAF110;
    f.data = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(encodeBusReply({f}), (Bytes{1, 0, 0x10, 0xF1, 0xDA, 0x18, 1, 2, 3, 4, 5, 6, 7, 8}));
    const Bytes many = encodeBusReply(std::vector<BusFrame>(30, f));
    EXPECT_EQ(getLE16(&many[0]), 21);
    EXPECT_EQ(many.size(), 2u + 21 * 12);
}

TEST(ObdCar, EachBusAnswersOnlyItsOwnRequestIdentifiers) {
    struct Case {
        ObdBus bus;
        std::uint32_t request, filter, sender;
    };
    const Case cases[] = {{ObdBus::Can11, 0x7E0, 0x7E0, 0x7E8}, {ObdBus::KLine, 0x7A0, 0x7A8, 0x7A8},
                          {ObdBus::Can29, 0x18DA00F1, 0x18DAF100, 0x18DAF110},
                          {ObdBus::Can29, 0x18DA10F1, 0x18DAF100, 0x18DAF110}};
    for (const Case& c : cases) {
        ObdCar car(c.bus);
        BusQuery q = query(1, 0x00);
        q.requestId = c.request;
        q.filterId = q.filterMask = c.filter;
        const auto f = car.answer(q, kIdle);
        ASSERT_EQ(f.size(), 1u) << std::hex << c.request;
        EXPECT_EQ(f[0].id, c.sender);
        // The other buses' requests find nobody.
        for (std::uint32_t other : {0x7E0u, 0x7A0u, 0x18DA00F1u}) {
            if (ObdCar::responderFor(c.bus, other) != 0) continue;
            q.requestId = other;
            EXPECT_TRUE(car.answer(q, kIdle).empty()) << std::hex << other;
        }
    }
    // A filter that does not let the responder through drops the answer.
    ObdCar car(ObdBus::Can29);
    BusQuery q = query(1, 0x00);
    q.requestId = 0x18DA00F1;
    EXPECT_TRUE(car.answer(q, kIdle).empty());
}
