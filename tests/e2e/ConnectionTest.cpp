// Connecting: the link check, the identity and the read order of the whole configuration, and partial
// answers.

#include "SimFixture.h"

using namespace tarvola;
using namespace tarvola::test;

TEST_F(SimLink, ConnectingChecksTheLinkReadsTheIdentityThenTheWholeConfiguration)
{
    start({}, quickTiming(), false);
    ASSERT_TRUE(device->openPort(path));
    const auto f = frames();
    ASSERT_GE(f.size(), 2u);
    EXPECT_EQ(f[0], controlFrame(0xCC));
    EXPECT_EQ(f[1], (std::vector<std::uint8_t>{0xAA, 0x55, 0x06, 0x02, 0x0D, 0, 0, 0, 0, 0, 0x00, 0x16}));
    EXPECT_EQ(steps(), (std::vector<std::string>{"c204", "c13", "c14", "c7", "c8", "c22", "c12", "map", "c34"}));
    EXPECT_TRUE(device->isConnected());
    EXPECT_TRUE(device->diagnosticsAllowed());
    EXPECT_FALSE(device->nativeByteOrder());
    EXPECT_TRUE(device->unreadBlocks().empty());
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(device->m_settings.m_devInfo.m_version, 0x0206);
    EXPECT_EQ(device->m_settings.m_devInfo.m_injCount, 4);
    EXPECT_EQ(device->m_settings.m_base.m_switchRPM, 1200);
    // The port that answered is remembered.
    EXPECT_EQ(device->config().readLastPort(), path);
}

// A controller that lacks a command or the live data still connects; each gap is reported once and
// the rest of the configuration is read.
TEST_F(SimLink, PartialControllersConnectAndReportWhatIsMissing)
{
    struct Case {
        const char* name;
        int ignoredSub;
        bool noDiag;
        const char* message;  // nullptr: none
        std::vector<std::string> unread;
        bool identityKnown, diagAllowed;
    };
    const Case cases[] = {
        {"no identity", 13, false, "Nie powiodło się odczytanie wersji urządzenia!", {}, false, true},
        {"no adv block", 8, false, "Nie powiodło się wczytanie ustawień urządzenia!", {"adv"}, true, true},
        {"no live data", -1, true, nullptr, {}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::SimOptions o;
        o.noDiag = c.noDiag;
        start(o, failFast(14, 40), false);
        sim->ignoreControlRequest(c.ignoredSub);
        prompt.messages.clear();
        device->m_settings.m_adv.m_pwm = 42;
        ASSERT_TRUE(device->openPort(path));
        EXPECT_TRUE(device->isConnected());
        EXPECT_EQ(device->identityKnown(), c.identityKnown);
        EXPECT_EQ(device->diagnosticsAllowed(), c.diagAllowed);
        EXPECT_EQ(device->unreadBlocks(), c.unread);
        EXPECT_EQ(prompt.messages, c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
        EXPECT_EQ(device->m_settings.m_adv.m_pwm == 42, !c.unread.empty()) << "an unread block keeps its values";
        EXPECT_EQ(steps().back(), "c34"); // the last block was read
        TearDown();
    }
}
