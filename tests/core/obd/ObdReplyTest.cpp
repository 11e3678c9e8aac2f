// Reading the gateway's replies: the frame count bounded by the bytes that came, the supported
// mask, the stored-code count and the trouble codes spread over ISO 15765-2 frames.

#include <gtest/gtest.h>

#include "obd/ObdReply.h"

using namespace tarvola;

namespace {

ObdBusFrame frame(std::array<std::uint8_t, 8> data, std::uint32_t sender = 0x7E8)
{
    return ObdBusFrame{sender, data};
}

// A reply payload as the frame layer hands it over: little-endian count and senders.
std::vector<std::uint8_t> replyBytes(std::uint16_t declared, const std::vector<ObdBusFrame>& frames)
{
    std::vector<std::uint8_t> p{static_cast<std::uint8_t>(declared), static_cast<std::uint8_t>(declared >> 8)};
    for (const auto& f : frames) {
        for (int i = 0; i < 4; ++i)
            p.push_back(static_cast<std::uint8_t>(f.sender >> (8 * i)));
        p.insert(p.end(), f.data.begin(), f.data.end());
    }
    return p;
}

} // namespace

TEST(ObdBusReply, RecordsAreReadInPcOrderAndBoundedByWhatArrived)
{
    const auto a = frame({0x06, 0x41, 0x00, 1, 2, 3, 4, 0x55}, 0x18DAF110);
    const auto b = frame({0x03, 0x41, 0x0B, 35, 0x55, 0x55, 0x55, 0x55});
    const auto whole = parseBusReply(replyBytes(2, {a, b}));
    ASSERT_EQ(whole.frames.size(), 2u);
    EXPECT_TRUE(whole.complete);
    EXPECT_EQ(whole.frames[0].sender, 0x18DAF110u);
    EXPECT_EQ(whole.frames[1].data, b.data);

    // A count beyond the payload takes the complete records present and no more.
    auto bytes = replyBytes(300, {a, b});
    bytes.resize(bytes.size() - 3);
    const auto cut = parseBusReply(bytes);
    EXPECT_EQ(cut.declaredCount, 300);
    ASSERT_EQ(cut.frames.size(), 1u);
    EXPECT_FALSE(cut.complete);
    EXPECT_EQ(parseBusReply(replyBytes(0xFFFF, {})).frames.size(), 0u);

    // Fewer declared than sent: only the declared ones.
    EXPECT_EQ(parseBusReply(replyBytes(1, {a, b})).frames.size(), 1u);
    for (std::size_t n : {0u, 1u}) {
        const auto tiny = parseBusReply(std::vector<std::uint8_t>(n, 0xFF));
        EXPECT_TRUE(tiny.frames.empty());
        EXPECT_FALSE(tiny.complete);
    }
}

TEST(ObdBusReply, SupportedMaskComesOnlyFromAPositiveFirstFrameForParameterZero)
{
    const auto mask = supportedMaskOf(std::vector{frame({0x06, 0x41, 0x00, 0x80, 0x00, 0x00, 0x01, 0})});
    ASSERT_TRUE(mask);
    EXPECT_EQ(*mask, 0x80000001u);
    EXPECT_TRUE(pidSupported(*mask, 1));
    EXPECT_TRUE(pidSupported(*mask, 32));
    EXPECT_FALSE(pidSupported(*mask, 2));
    EXPECT_FALSE(pidSupported(0xFFFFFFFF, 0));
    EXPECT_FALSE(pidSupported(0xFFFFFFFF, 33));
    // Parameter 0x0B is bit 31 - 10.
    EXPECT_TRUE(pidSupported(1u << 21, 0x0B));

    EXPECT_FALSE(supportedMaskOf({}));
    EXPECT_FALSE(supportedMaskOf(std::vector{frame({0x03, 0x7F, 0x01, 0x12, 0, 0, 0, 0})}));
    EXPECT_FALSE(supportedMaskOf(std::vector{frame({0x06, 0x41, 0x20, 0xFF, 0xFF, 0xFF, 0xFF, 0})}));
    // Only the first frame counts.
    EXPECT_FALSE(supportedMaskOf(std::vector{frame({0x03, 0x7F, 0x01, 0x12, 0, 0, 0, 0}),
                                             frame({0x06, 0x41, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0})}));
}

TEST(ObdBusReply, StoredCodeCountDropsTheLampBit)
{
    EXPECT_EQ(storedCodeCountOf(frame({0x06, 0x41, 0x01, 0x83, 0x07, 0x65, 0, 0})), 3);
    EXPECT_EQ(storedCodeCountOf(frame({0x06, 0x41, 0x01, 0x80, 0, 0, 0, 0})), 0);
    EXPECT_EQ(storedCodeCountOf(frame({0x06, 0x41, 0x01, 0x05, 0, 0, 0, 0})), 5);
    EXPECT_FALSE(storedCodeCountOf(frame({0x03, 0x7F, 0x01, 0x83, 0, 0, 0, 0})));
    EXPECT_FALSE(storedCodeCountOf(frame({0x06, 0x41, 0x0C, 0x83, 0, 0, 0, 0})));
}

// Whole answers of two, five and seven codes are read against the simulator's car; these are the
// edges of what a unit may send.
TEST(ObdTroubleCodeFrames, CodesAreTakenAsFarAsTheFramesAndTheExpectedCountGo)
{
    using Codes = std::vector<std::uint16_t>;
    const auto single = [](std::array<std::uint8_t, 8> data, int expected) {
        return troubleCodesOf(std::vector{frame(data)}, expected);
    };
    // A count of three (or 200) cannot put a third code into eight bytes.
    EXPECT_EQ(single({0x06, 0x43, 0x03, 0x01, 0x71, 0x03, 0x01, 0x02}, 3).size(), 2u);
    EXPECT_EQ(single({0x06, 0x43, 0xC8, 0x01, 0x71, 0x03, 0x01, 0x02}, 3).size(), 2u);
    EXPECT_EQ(single({0x04, 0x43, 0x01, 0x01, 0x71, 0x03, 0x01, 0x02}, 1), Codes{0x0171});
    // A zero code ends the frame; a frame that is not a positive answer gives nothing.
    EXPECT_TRUE(single({0x06, 0x43, 0x02, 0x00, 0x00, 0x03, 0x01, 0x55}, 2).empty());
    EXPECT_TRUE(single({0x03, 0x7F, 0x03, 0x11, 0x55, 0x55, 0x55, 0x55}, 3).empty());

    // Five codes: the first frame holds two, the consecutive frame three, given only while expected.
    const std::vector<ObdBusFrame> five{frame({0x10, 0x0C, 0x43, 0x05, 0x01, 0x71, 0x03, 0x01}),
                                        frame({0x21, 0x03, 0x02, 0x01, 0x33, 0x04, 0x20, 0x55})};
    EXPECT_EQ(troubleCodesOf(five, 3), (Codes{0x0171, 0x0301, 0x0302}));
    EXPECT_EQ(troubleCodesOf(five, 2), (Codes{0x0171, 0x0301}));
    EXPECT_EQ(troubleCodesOf(five, 0).size(), 2u) << "a first frame is read whatever was expected";
    EXPECT_EQ(troubleCodesOf(five, -4).size(), 2u);
    // A unit that declared more than it sent: what came is taken, no more.
    EXPECT_EQ(troubleCodesOf(std::vector{five[0]}, 40).size(), 2u);
    // A zero code in the first frame ends that frame only.
    const std::vector<ObdBusFrame> gap{frame({0x10, 0x0A, 0x43, 0x04, 0x01, 0x71, 0x00, 0x00}),
                                       frame({0x21, 0x03, 0x02, 0x00, 0x00, 0x04, 0x20, 0x55})};
    EXPECT_EQ(troubleCodesOf(gap, 4), (Codes{0x0171, 0x0302}));
    // A consecutive frame on its own gives the three whole codes it holds.
    EXPECT_EQ(troubleCodesOf(std::vector{frame({0x22, 0x01, 0x01, 0x01, 0x02, 0x01, 0x03, 0x01})}, 9).size(), 3u);
}
