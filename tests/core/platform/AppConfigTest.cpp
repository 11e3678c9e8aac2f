// The configuration file that remembers the last port.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/AppConfig.h"

using namespace tarvola;
namespace fs = std::filesystem;

namespace {
struct TempDir {
    fs::path path;
    TempDir()
    {
        path = fs::temp_directory_path() / ("tarvola-cfg-" + std::to_string(::getpid()) + "-" +
                                            std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        fs::remove_all(path);
    }
    ~TempDir() { fs::remove_all(path); }
};
std::string slurp(const fs::path& p)
{
    std::ifstream in(p);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
} // namespace

TEST(AppConfig, LastPortRoundTripsAndCreatesTheFolders)
{
    TempDir dir;
    AppConfig cfg((dir.path / "TARVOLA" / "TARVOLA.conf").string());
    EXPECT_EQ(cfg.readLastPort(), "");
    ASSERT_TRUE(cfg.writeLastPort("/dev/ttyUSB3"));
    EXPECT_EQ(cfg.readLastPort(), "/dev/ttyUSB3");
    ASSERT_TRUE(cfg.writeLastPort("/dev/pts/7"));
    EXPECT_EQ(cfg.readLastPort(), "/dev/pts/7");
    EXPECT_EQ(slurp(cfg.filePath()), "[Software\\TARVOLA]\nLast RS nr=/dev/pts/7\n");
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path / "TARVOLA"), fs::directory_iterator()), 1);
}

TEST(AppConfig, OtherSectionsAndKeysAreKept)
{
    TempDir dir;
    fs::create_directories(dir.path);
    const auto file = dir.path / "t.conf";
    std::ofstream(file) << "[Other]\nLast RS nr=/dev/x\n[Software\\TARVOLA]\nLanguage=3\n[Tail]\nk=v\n";
    AppConfig cfg(file.string());
    EXPECT_EQ(cfg.readLastPort(), "");
    ASSERT_TRUE(cfg.writeLastPort("/dev/ttyACM0"));
    EXPECT_EQ(cfg.readLastPort(), "/dev/ttyACM0");
    EXPECT_EQ(cfg.value("Software\\TARVOLA", "Language").value_or(""), "3");
    EXPECT_EQ(cfg.value("Other", "Last RS nr").value_or(""), "/dev/x");
    EXPECT_EQ(cfg.value("Tail", "k").value_or(""), "v");
}

TEST(AppConfig, AnUnwritableLocationFailsQuietly)
{
    AppConfig cfg("/proc/no-such-place/TARVOLA.conf");
    EXPECT_FALSE(cfg.writeLastPort("/dev/ttyUSB0"));
    EXPECT_EQ(cfg.readLastPort(), "");
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
