// The car behind the OBD gateway: the gateway reply layout.
#include <gtest/gtest.h>

#include "ObdCar.h"

using namespace tarvola::sim;

TEST(ObdCar, GatewayReplyIsLittleEndianAndHoldsAtMostTwentyOneFrames) {
    BusFrame f;
    f.id = 0x18DAF110;
    f.data = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(encodeBusReply({f}), (Bytes{1, 0, 0x10, 0xF1, 0xDA, 0x18, 1, 2, 3, 4, 5, 6, 7, 8}));
    const Bytes many = encodeBusReply(std::vector<BusFrame>(30, f));
    EXPECT_EQ(getLE16(&many[0]), 21);
    EXPECT_EQ(many.size(), 2u + 21 * 12);
}
