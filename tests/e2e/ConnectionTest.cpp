// Connecting: the read order of the whole configuration, partial answers, the search and its demo
// question, and reconnecting after a loss.

#include "SimFixture.h"

#include <filesystem>

using namespace tarvola;
using namespace tarvola::test;

namespace {
// The control sub-codes (or "w<code>" for other frames) in the order they were sent.
std::vector<int> subCodes(const std::vector<std::vector<std::uint8_t>>& frames)
{
    std::vector<int> out;
    for (const auto& f : frames)
        out.push_back(f[3] == 2 ? f[4] : -f[3]);
    return out;
}
} // namespace

TEST_F(SimLink, ConnectionReadsTheWholeConfigurationInOrder)
{
    sim = std::make_unique<sim::VirtualController>(sim::SimOptions{});
    path = sim->start();
    device = std::make_unique<CLPGDevice>(prompt, quickTiming(), AppConfig(tempConfigPath("link")));
    ASSERT_TRUE(device->openPort(path));
    const std::vector<int> expected{0xCC, 13, 14, 7, 8, 22, 12, 11, 11, 11, 11, 11, 11, 11, 11, 11, 34};
    EXPECT_EQ(subCodes(frames()), expected);
    EXPECT_TRUE(device->unreadBlocks().empty());
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(device->m_settings.m_base.m_switchRPM, 1200);
}

TEST_F(SimLink, AMissingIdentityIsReportedOnceAndTheBlocksStillRead)
{
    sim = std::make_unique<sim::VirtualController>(sim::SimOptions{});
    path = sim->start();
    sim->ignoreControlRequest(13);
    LinkTiming t = quickTiming();
    t.readTimeoutConstantMs = 40;
    device = std::make_unique<CLPGDevice>(prompt, t, AppConfig(tempConfigPath("link")));
    ASSERT_TRUE(device->openPort(path));
    EXPECT_TRUE(device->isConnected());
    EXPECT_FALSE(device->identityKnown());
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0], "Nie powiodło się odczytanie wersji urządzenia!");
    EXPECT_TRUE(device->unreadBlocks().empty());
}

TEST_F(SimLink, EachUnreadBlockIsReportedAndTheRestGoesOn)
{
    sim = std::make_unique<sim::VirtualController>(sim::SimOptions{});
    path = sim->start();
    sim->ignoreControlRequest(8); // the advanced injector block
    LinkTiming t = quickTiming();
    t.readTimeoutConstantMs = 40;
    device = std::make_unique<CLPGDevice>(prompt, t, AppConfig(tempConfigPath("link")));
    device->m_settings.m_adv.m_pwm = 42;
    ASSERT_TRUE(device->openPort(path));
    EXPECT_EQ(device->unreadBlocks(), std::vector<std::string>{"adv"});
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0], "Nie powiodło się wczytanie ustawień urządzenia!");
    EXPECT_EQ(device->m_settings.m_adv.m_pwm, 42); // kept as it was
    EXPECT_EQ(subCodes(frames()).back(), 34);      // and the later blocks were read
}

TEST_F(SimLink, WithoutAControllerTheSearchAsksForDemoMode)
{
    // No last port, and whatever this machine lists answers nothing we know: keep the search to the
    // config file's port by pointing it at a path that does not exist.
    std::filesystem::create_directories(std::filesystem::path(tempConfigPath("link")).parent_path());
    AppConfig cfg(tempConfigPath("link"));
    cfg.writeLastPort("/dev/tarvola-gone");
    LinkTiming t = quickTiming();
    t.readTimeoutConstantMs = 20;
    t.linkCheckAttempts = 1;
    device = std::make_unique<CLPGDevice>(prompt, t, cfg);
    prompt.answer = false;
    EXPECT_FALSE(device->connect());
    EXPECT_FALSE(device->isConnected());
    ASSERT_FALSE(prompt.messages.empty());
    EXPECT_EQ(prompt.messages.back(),
              "Nie można połączyć się z modułem. Sprawdź okablowanie. Czy uruchomić w trybie demo?");

    prompt.answer = true;
    EXPECT_TRUE(device->connect());
    EXPECT_TRUE(device->isDemo());
    EXPECT_TRUE(device->isConnected());
    EXPECT_EQ(device->m_settings.m_devInfo.m_version, 768);
}

TEST_F(SimLink, ReconnectFindsTheControllerOnTheLastPort)
{
    start();
    EXPECT_EQ(device->config().readLastPort(), path);
    device->setConnected(false);
    EXPECT_TRUE(device->reconnect());
    EXPECT_TRUE(device->isConnected());
    sim->vanish();
    EXPECT_FALSE(device->reconnect());
}
