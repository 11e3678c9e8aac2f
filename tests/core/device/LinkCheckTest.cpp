// The link check over a scripted port: the controller mark, the diagnostics flag, the attempt count
// and the message shown when something else answers.

#include "ScriptedDevice.h"

using namespace tarvola;
using namespace tarvola::test;

namespace {
struct LinkCheck : ScriptedDevice {
    void SetUp() override { CLPGDevice::resetNoLinkMessageForTesting(); }
};
} // namespace

TEST_F(LinkCheck, ReadsTheDiagnosticsFlagAndTriesFiveTimes)
{
    // Flag 0x0055 (big-endian on the wire) allows diagnostics; anything else does not.
    reply(frame(2, {4, 0x21, 0x00, 0x55, 0, 0}));
    ASSERT_TRUE(device.checkLink());
    EXPECT_TRUE(device.diagnosticsAllowed());
    EXPECT_FALSE(device.nativeByteOrder());
    reply(frame(2, {4, 0x21, 0x00, 0x54, 0, 0}));
    ASSERT_TRUE(device.checkLink());
    EXPECT_FALSE(device.diagnosticsAllowed());

    // Silence: five attempts, then a quiet failure, back in the PC's byte order.
    port->written.clear();
    EXPECT_FALSE(device.checkLink());
    EXPECT_EQ(requests().size(), 5u);
    EXPECT_TRUE(device.nativeByteOrder());
    EXPECT_TRUE(prompt.errors.empty());
}

TEST_F(LinkCheck, ForeignControllerMessageComesOncePerRun)
{
    for (int i = 0; i < 3; ++i) {
        reply(frame(2, {4, 0x20, 0x00, 0x55, 0, 0}));
        EXPECT_FALSE(device.checkLink());
    }
    EXPECT_EQ(prompt.errors, std::vector<std::string>{"Brak połączenia"});
}
