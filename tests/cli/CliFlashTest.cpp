// tarvola-cli flash against tarvola-sim run as a program: confirmation, progress, backup, the new
// version, and the refusals that cost no connection.

#include <gtest/gtest.h>

#include "FirmwareImageBuilder.h"
#include "Process.h"

using namespace tarvola::test;

namespace {
std::string imageFile(const TempHome& home, const std::string& name, std::uint16_t version,
                      void (*change)(FirmwareImageContents&) = nullptr)
{
    FirmwareImageContents contents;
    contents.version = version;
    contents.data = firmwareTestData(9380); // 11 blocks to send
    if (change)
        change(contents);
    const auto path = (home.dir / name).string();
    EXPECT_TRUE(writeBinaryFile(path, buildFirmwareFile(contents)));
    return path;
}
} // namespace

TEST(CliFlash, AsksBacksUpShowsEachBlockAndReportsTheNewVersion)
{
    SimProcess sim;
    TempHome home;
    const auto with = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--port", sim.path()});
        return cli(args, {home.env(), "XDG_DATA_HOME=" + home.dir.string()});
    };
    const auto newer = imageFile(home, "new.img", 0x0207);
    const auto declined = with({"flash", newer});
    EXPECT_EQ(declined.exitCode, 1);
    EXPECT_EQ(declined.err.find("block "), std::string::npos) << declined.err;

    const auto flashed = with({"--yes", "flash", newer});
    ASSERT_EQ(flashed.exitCode, 0) << flashed.err;
    EXPECT_NE(flashed.err.find((home.dir / "TARVOLA" / "settings" / "backup-").string()), std::string::npos);
    EXPECT_NE(flashed.err.find("\nblock 1/11\n"), std::string::npos) << flashed.err;
    EXPECT_NE(flashed.err.find("\nblock 11/11\n"), std::string::npos) << flashed.err;
    EXPECT_EQ(flashed.out, "Firmware written: 11 blocks; the controller reports version 519 (0x0207)\n");

    // An image older than the controller's firmware: --yes answers that question too.
    const auto older = with({"--yes", "--json", "flash", imageFile(home, "old.img", 0x0100)});
    ASSERT_EQ(older.exitCode, 0) << older.err;
    EXPECT_NE(older.out.find("\"m_devInfo.m_version\": 520"), std::string::npos) << older.out;

    // An image for another controller: refused by the controller check, with the reason.
    const auto refused = with({"--yes", "flash", imageFile(home, "other.img", 0x0300, [](FirmwareImageContents& c) {
                                   c.name = "VELDRANIX K481";
                               })});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("stopped at the device name step: "), std::string::npos) << refused.err;
    EXPECT_NE(with({"--json", "info"}).out.find("\"m_devInfo.m_version\": 520"), std::string::npos);
}

TEST(CliFlash, FilesThatAreNoImageAreRefusedBeforeConnecting)
{
    TempHome home;
    const auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--port", "/dev/tarvola-no-such-port", "--yes", "flash"});
        return cli(args, {home.env()});
    };
    EXPECT_EQ(run({}).exitCode, 2);
    EXPECT_EQ(run({"a.img", "b.img"}).exitCode, 2);
    const auto missing = run({(home.dir / "missing.img").string()});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("missing.img: cannot be opened"), std::string::npos) << missing.err;
    const auto damaged = run({imageFile(home, "damaged.img", 0x0207, [](FirmwareImageContents& c) { c.checkWordError = 1; })});
    EXPECT_EQ(damaged.exitCode, 2);
    EXPECT_NE(damaged.err.find("check word"), std::string::npos) << damaged.err;
    const auto format = run({imageFile(home, "format.img", 0x0207, [](FirmwareImageContents& c) { c.formatWord = 0x0201; })});
    EXPECT_EQ(format.exitCode, 2);
    EXPECT_NE(format.err.find("format word 0x0201"), std::string::npos) << format.err;
    EXPECT_EQ(run({imageFile(home, "good.img", 0x0207)}).exitCode, 3); // a good image, no controller
}
