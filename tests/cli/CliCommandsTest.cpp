// The working commands of tarvola-cli against tarvola-sim run as a program: stored errors, the
// whole configuration, one setting, live samples and their recording, settings files and service.

#include <algorithm>

#include "CliHarness.h"
#include "monitor/CDiagFile.h"

using namespace tarvola::test;

namespace {
void expectWholeRecording(const std::string& path, std::size_t atLeast)
{
    tarvola::DiagRecording recording;
    ASSERT_TRUE(tarvola::CDiagFile::readRecording(path, recording));
    EXPECT_GE(recording.records.size(), atLeast);
    EXPECT_EQ(recording.skippedLines, 0u);
}
} // namespace

TEST(CliErrors, ListedInTheChosenLanguageAndCleared)
{
    SimCli run({"--errors", "0x05,0x02,0,1"});
    expectAll(outputOf(run({"--lang", "0", "errors"})),
              {"Error flags: 05 02 00 01", "Wtryskiwacze: Błąd wtryskiwacza gazu 2"});
    EXPECT_THAT(outputOf(run({"--lang", "1", "errors"})), HasSubstr("Injectors: Gas injector 2 error"));
    EXPECT_EQ(outputOf(run({"--json", "errors", "--clear"})),
              "{\"flags\": \"00 00 00 00\", \"cleared\": true, \"errors\": []}\n");
}

TEST(CliDumpAndSet, EverySettingsKeyAndAWriteShownAsTheControllerKeepsIt)
{
    SimCli run;
    EXPECT_EQ(outputOf(run({"set", "m_base.m_switchRPM", "1530"})), "m_base.m_switchRPM = 1500\n"); // whole hundreds
    outputOf(run({"set", "m_injMapTable[5][2000]", "-7"}));
    expectAll(outputOf(run({"--json", "dump"})),
              {"\"m_timeStamp\": \"\"", "\"m_base.m_switchRPM\": 1500", "\"m_base.m_emulatorDelay\": 0.5",
               "\"m_adv.m_pwm\": 50", "\"m_sensorsSetup.m_lambdaEmulatorTable[8000]\": 0.51",
               "\"m_injMapTable[5][2000]\": -7", "\"m_injMapTable[20][8000]\": 0",
               "\"m_advancedSetup.m_advancedFlags\": 16", "\"m_devInfo.m_serial\": \"VLD12345\""});
    EXPECT_THAT(outputOf(run({"dump"})), HasSubstr("ms\\RPM   500  1000")); // the map as its grid
}

TEST(CliMonitor, JsonLinesAndARecordingThatKeepsEverySample)
{
    SimCli run;
    const auto rec = (run.home.dir / "run.osc").string();
    const auto json = outputOf(run({"--json", "monitor", "--count", "3", "--record", rec}));
    EXPECT_EQ(std::ranges::count(json, '\n'), 3);
    EXPECT_THAT(json, StartsWith("{\"seq\": 1, \"mode\": 2, \"rpm\": "));
    EXPECT_THAT(json, HasSubstr("{\"seq\": 3,"));
    expectWholeRecording(rec, 3);
}

TEST(CliMonitor, InterruptedOrKilledRecordingsKeepWhatWasWritten)
{
    SimCli run;
    for (const int signal : {SIGINT, SIGKILL}) {
        const auto rec = (run.home.dir / ("cut" + std::to_string(signal) + ".osc")).string();
        Child monitor({TARVOLA_CLI_BIN, "--port", run.path, "monitor", "--record", rec}, run.home.env());
        // Samples reach the file only once polling runs, and the Ctrl+C handler is in place before that.
        ASSERT_TRUE(waitFor([&] { return std::ranges::count(readFile(rec), '\n') >= 3; })) << monitor.err();
        monitor.signal(signal);
        EXPECT_EQ(monitor.wait(), signal == SIGINT ? 0 : 128 + SIGKILL);
        expectWholeRecording(rec, 3);
    }
}

TEST(CliSettingsFiles, SaveDiffLoadAndFactoryResetWithBackups)
{
    SimCli run;
    const std::string saved = (run.home.dir / "car.xset").string(), other = (run.home.dir / "other.xset").string();
    outputOf(run({"save", saved}));
    EXPECT_EQ(outputOf(run({"diff", saved})), "No differences.\n");
    outputOf(run({"set", "m_base.m_switchRPM", "1800"}));
    outputOf(run({"save", other}));
    EXPECT_EQ(outputOf(run({"diff", saved})), "m_base.m_switchRPM\t1200\t1800\n");
    EXPECT_EQ(outputOf(cli({"diff", saved, other}, run.home.env())), "m_base.m_switchRPM\t1200\t1800\n");

    // Loading overwrites the controller: refused without --yes, and backed up first with it.
    EXPECT_EQ(run({"load", saved}).exitCode, 1);
    const auto loaded = run({"--yes", "load", saved});
    EXPECT_THAT(loaded.err, HasSubstr((run.home.dir / "TARVOLA" / "settings" / "backup-").string()));
    EXPECT_EQ(outputOf(run({"diff", saved})), "No differences.\n");

    outputOf(run({"set", "m_adv.m_pwm", "45"}));
    outputOf(run({"--yes", "factory-reset"}));
    EXPECT_THAT(outputOf(run({"--json", "dump"})), HasSubstr("\"m_adv.m_pwm\": 50"));

    // A file that is not a settings file is the caller's mistake.
    const std::string bad = (run.home.dir / "bad.xset").string();
    std::ofstream(bad) << "m_timeStamp\tx\r\n";
    EXPECT_EQ(cli({"diff", bad}, run.home.env()).exitCode, 2);
    EXPECT_EQ(run({"--yes", "load", bad}).exitCode, 2);
}

TEST(CliService, NextServiceAndTheNozzleCalculator)
{
    SimCli run;
    // 10000 km at 50 km/h is 200 hours of gas running from now.
    EXPECT_THAT(outputOf(run({"--json", "service", "--next-km", "10000"})),
                HasSubstr("\"remainingServiceHours\": 200"));
    EXPECT_THAT(outputOf(run({"service"})), HasSubstr("Next service:                 in 200 h on gas"));
    EXPECT_EQ(outputOf(cli({"injector-size", "--hp", "120", "--cylinders", "4", "--type", "seq"})),
              "Nozzle: 2.6 mm (30 HP per cylinder)\n");
}
