// tarvola-cli flash against tarvola-sim run as a program: confirmation, progress, backup, the new
// version, and the refusals: files that are no image, and controllers that do not take one.

#include "CliHarness.h"
#include "FirmwareImageBuilder.h"

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
    SimCli run;
    const auto newer = imageFile(run.home, "new.img", 0x0207);
    const auto declined = run({"flash", newer});
    EXPECT_EQ(declined.exitCode, 1);
    EXPECT_THAT(declined.err, Not(HasSubstr("block ")));

    const auto flashed = run({"--yes", "flash", newer});
    EXPECT_EQ(outputOf(flashed), "Firmware written: 11 blocks; the controller reports version 519 (0x0207)\n");
    expectAll(flashed.err,
              {(run.home.dir / "TARVOLA" / "settings" / "backup-").string(), "\nblock 1/11\n", "\nblock 11/11\n"});

    // An image older than the controller's firmware: --yes answers that question too.
    const auto older = imageFile(run.home, "old.img", 0x0100);
    EXPECT_THAT(outputOf(run({"--yes", "--json", "flash", older})), HasSubstr("\"m_devInfo.m_version\": 520"));

    // An image for another controller: refused by the controller check, with the reason.
    const auto other =
        imageFile(run.home, "other.img", 0x0300, [](FirmwareImageContents& c) { c.name = "VELDRANIX K481"; });
    const auto refused = run({"--yes", "flash", other});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err, HasSubstr("stopped at the device name step: "));
    EXPECT_THAT(outputOf(run({"--json", "info"})), HasSubstr("\"m_devInfo.m_version\": 520"));
}

TEST(CliFlash, AControllerThatDoesNotAllowUpdatesAndDemoModeAreRefusedBeforeAnythingIsSent)
{
    SimCli run({"--no-firmware-update"});
    const auto image = imageFile(run.home, "new.img", 0x0207);
    const auto trace = (run.home.dir / "trace.txt").string();
    for (const auto& where : {std::vector<std::string>{"--port", run.path, "--trace", trace}, {"--demo"}}) {
        const auto r = cli(prepend(where, {"--lang", "0", "--yes", "flash", image}), run.home.env());
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_THAT(r.err, HasSubstr("Aktualizacja firmware jest zablokowana w tym sterowniku."));
    }
    EXPECT_THAT(readFile(trace), Not(HasSubstr("switchToPetrol")));
    EXPECT_FALSE(fs::exists(run.home.dir / "TARVOLA" / "settings")) << "no backup either";
    EXPECT_THAT(outputOf(run({"--json", "info"})), HasSubstr("\"m_devInfo.m_version\": 518"));
}

TEST(CliFlash, FilesThatAreNoImageAreRefusedBeforeConnecting)
{
    TempHome home;
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "flash needs one firmware image file"},
        {{"a.img", "b.img"}, "flash needs one firmware image file"},
        {{(home.dir / "missing.img").string()}, "missing.img: cannot be opened"},
        {{imageFile(home, "damaged.img", 0x0207, [](auto& c) { c.checkWordError = 1; })}, "check word"},
        {{imageFile(home, "format.img", 0x0207, [](auto& c) { c.formatWord = 0x0201; })}, "format word 0x0201"},
        {{imageFile(home, "good.img", 0x0207)}, "no controller answers"}}; // the only one that tries the port
    for (const auto& [args, message] : cases) {
        const auto r = cli(prepend({"--port", "/dev/tarvola-no-such-port", "--yes", "flash"}, args), home.env());
        EXPECT_EQ(r.exitCode, message == "no controller answers" ? 3 : 2) << message;
        EXPECT_THAT(r.err, HasSubstr(message));
    }
}
