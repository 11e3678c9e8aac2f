// The link check when something other than our controller answers: it fails, and says so once a run.

#include "ScriptedDevice.h"

using namespace tarvola;
using namespace tarvola::test;

namespace {
struct LinkCheck : ScriptedDevice {
    void SetUp() override { CLPGDevice::resetNoLinkMessageForTesting(); }
};
} // namespace

TEST_F(LinkCheck, ForeignControllerMessageComesOncePerRun)
{
    for (int i = 0; i < 3; ++i) {
        reply(frame(2, {4, 0x20, 0x00, 0x55, 0, 0}));
        EXPECT_FALSE(device.checkLink());
    }
    EXPECT_EQ(prompt.errors, std::vector<std::string>{"Brak połączenia"});
}
