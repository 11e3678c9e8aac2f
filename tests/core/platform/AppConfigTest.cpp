// The configuration file that remembers the last port.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "platform/AppConfig.h"

using namespace tarvola;
namespace fs = std::filesystem;

namespace {
struct AppConfigFile : ::testing::Test {
    fs::path dir = fs::temp_directory_path() / ("tarvola-cfg-" + std::to_string(::getpid()));
    void SetUp() override { fs::remove_all(dir); }
    void TearDown() override { fs::remove_all(dir); }
};
} // namespace

TEST_F(AppConfigFile, LastPortRoundTripsAndCreatesTheFolders)
{
    AppConfig cfg((dir / "TARVOLA" / "TARVOLA.conf").string());
    EXPECT_EQ(cfg.readLastPort(), "");
    ASSERT_TRUE(cfg.writeLastPort("/dev/ttyUSB3"));
    EXPECT_EQ(cfg.readLastPort(), "/dev/ttyUSB3");
    ASSERT_TRUE(cfg.writeLastPort("/dev/pts/7"));
    std::ifstream in(cfg.filePath());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "[Software\\TARVOLA]\nLast RS nr=/dev/pts/7\n");
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "TARVOLA"), fs::directory_iterator()), 1);

    EXPECT_FALSE(AppConfig("/proc/no-such-place/TARVOLA.conf").writeLastPort("/dev/ttyUSB0"));
}

TEST_F(AppConfigFile, OtherSectionsAndKeysAreKept)
{
    fs::create_directories(dir);
    const auto file = dir / "t.conf";
    std::ofstream(file) << "[Other]\nLast RS nr=/dev/x\n[Software\\TARVOLA]\nLanguage=3\n[Tail]\nk=v\n";
    AppConfig cfg(file.string());
    EXPECT_EQ(cfg.readLastPort(), "");
    ASSERT_TRUE(cfg.writeLastPort("/dev/ttyACM0"));
    EXPECT_EQ(cfg.readLastPort(), "/dev/ttyACM0");
    EXPECT_EQ(cfg.value("Software\\TARVOLA", "Language").value_or(""), "3");
    EXPECT_EQ(cfg.value("Other", "Last RS nr").value_or(""), "/dev/x");
    EXPECT_EQ(cfg.value("Tail", "k").value_or(""), "v");
}

TEST(AppConfig, DefaultLocationFollowsXdgConfigHome)
{
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_CONFIG_HOME", "/tmp/xdg-test", 1);
    EXPECT_EQ(AppConfig::defaultFilePath(), "/tmp/xdg-test/TARVOLA/TARVOLA.conf");
    if (old)
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}
