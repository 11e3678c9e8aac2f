// The working commands of tarvola-cli against tarvola-sim run as a program.

#include <gtest/gtest.h>

#include "Process.h"
#include "monitor/CDiagFile.h"

#include <algorithm>
#include <fstream>

using namespace tarvola::test;

TEST(CliErrors, ListsAndClearsTheStoredErrors)
{
    SimProcess sim({"--errors", "0x05,0x02,0,1"});
    TempHome home;
    const auto listed = cli({"--port", sim.path(), "--lang", "0", "errors"}, {home.env()});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_NE(listed.out.find("Error flags: 05 02 00 01"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("Wtryskiwacze: Błąd wtryskiwacza gazu 2"), std::string::npos) << listed.out;

    // The same in English, the language's own texts.
    const auto english = cli({"--port", sim.path(), "--lang", "1", "errors"}, {home.env()});
    ASSERT_EQ(english.exitCode, 0) << english.err;
    EXPECT_EQ(english.out.find("Wtryskiwacze"), std::string::npos) << english.out;
    EXPECT_NE(english.out.find(": "), std::string::npos);
    EXPECT_EQ(cli({"--lang", "13", "--demo", "errors"}).exitCode, 2);

    const auto cleared = cli({"--port", sim.path(), "--json", "errors", "--clear"}, {home.env()});
    ASSERT_EQ(cleared.exitCode, 0) << cleared.err;
    EXPECT_EQ(cleared.out, "{\"flags\": \"00 00 00 00\", \"cleared\": true, \"errors\": []}\n");
    EXPECT_EQ(cli({"--port", sim.path(), "errors", "--all"}, {home.env()}).exitCode, 2);
}

TEST(CliDump, JsonCarriesEverySettingsKeyAsNumbersAndTexts)
{
    SimProcess sim;
    TempHome home;
    const auto r = cli({"--port", sim.path(), "--json", "dump"}, {home.env()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* field : {"\"m_timeStamp\": \"\"", "\"m_base.m_switchRPM\": 1200", "\"m_base.m_emulatorDelay\": 0.5",
                              "\"m_adv.m_pwm\": 50", "\"m_sensorsSetup.m_lambdaEmulatorTable[8000]\": 0.51",
                              "\"m_injMapTable[20][8000]\": 0", "\"m_advancedSetup.m_advancedFlags\": 16",
                              "\"m_devInfo.m_serial\": \"VLD12345\""})
        EXPECT_NE(r.out.find(field), std::string::npos) << field;
    // Text mode shows the map as its grid.
    const auto text = cli({"--port", sim.path(), "dump"}, {home.env()});
    ASSERT_EQ(text.exitCode, 0);
    EXPECT_NE(text.out.find("ms\\RPM   500  1000"), std::string::npos);
}

TEST(CliSet, WritesTheBlockAndShowsWhatTheControllerKeeps)
{
    SimProcess sim;
    TempHome home;
    const auto r = cli({"--port", sim.path(), "set", "m_base.m_switchRPM", "1530"}, {home.env()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "m_base.m_switchRPM = 1500\n"); // whole hundreds, as the controller holds it
    const auto cell = cli({"--port", sim.path(), "set", "m_injMapTable[5][2000]", "-7"}, {home.env()});
    ASSERT_EQ(cell.exitCode, 0) << cell.err;
    const auto dump = cli({"--port", sim.path(), "--json", "dump"}, {home.env()});
    EXPECT_NE(dump.out.find("\"m_base.m_switchRPM\": 1500"), std::string::npos);
    EXPECT_NE(dump.out.find("\"m_injMapTable[5][2000]\": -7"), std::string::npos);

    // Usage errors cost no connection: unknown keys, bad values, read-only fields, missing value.
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"set", "m_base.m_nope", "1"}, {"set", "m_base.m_switchRPM", "fast"},
          {"set", "m_base.m_sparkDivider", "300"}, {"set", "m_devInfo.m_version", "9"},
          {"set", "m_injMapTable[5][2000]", "60"}, {"set", "m_base.m_switchRPM"}}) {
        std::vector<std::string> args{"--port", "/dev/tarvola-no-such-port"};
        args.insert(args.end(), bad.begin(), bad.end());
        EXPECT_EQ(cli(args, {home.env()}).exitCode, 2) << bad[1];
    }
}

TEST(CliMonitor, JsonLinesAndARecordingThatKeepsEverySample)
{
    SimProcess sim;
    TempHome home;
    const auto rec = (home.dir / "run.osc").string();
    const auto r = cli({"--port", sim.path(), "--json", "monitor", "--count", "3", "--record", rec}, {home.env()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3);
    EXPECT_EQ(r.out.rfind("{\"seq\": 1, \"mode\": 2, \"rpm\": ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("{\"seq\": 3,"), std::string::npos);

    tarvola::DiagRecording recording;
    ASSERT_TRUE(tarvola::CDiagFile::readRecording(rec, recording));
    EXPECT_GE(recording.records.size(), 3u);
    EXPECT_EQ(recording.skippedLines, 0u);

    EXPECT_EQ(cli({"--demo", "monitor", "--count", "0"}).exitCode, 2);
    EXPECT_EQ(cli({"--demo", "monitor", "--record", "/proc/nowhere/x.osc"}).exitCode, 2);
}

TEST(CliMonitor, InterruptedOrKilledRecordingsKeepWhatWasWritten)
{
    SimProcess sim;
    TempHome home;
    for (int signal : {SIGINT, SIGKILL}) {
        const auto rec = (home.dir / ("cut" + std::to_string(signal) + ".osc")).string();
        int outFd = -1, errFd = -1;
        const pid_t pid = spawnWithPipes({TARVOLA_CLI_BIN, "--port", sim.path(), "monitor", "--record", rec}, outFd,
                                         errFd, {home.env()});
        ::usleep(800 * 1000);
        ::kill(pid, signal);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ::close(outFd);
        ::close(errFd);
        if (signal == SIGINT) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
        }
        tarvola::DiagRecording recording;
        ASSERT_TRUE(tarvola::CDiagFile::readRecording(rec, recording));
        EXPECT_GE(recording.records.size(), 3u) << "signal " << signal;
        EXPECT_EQ(recording.skippedLines, 0u);
    }
}

TEST(CliSettingsFiles, SaveDiffLoadAndFactoryResetWithBackups)
{
    SimProcess sim;
    TempHome home;
    const std::vector<std::string> env{home.env(), "XDG_DATA_HOME=" + home.dir.string()};
    const std::string saved = (home.dir / "car.xset").string();
    const std::vector<std::string> port{"--port", sim.path()};
    const auto with = [&](std::vector<std::string> args) {
        args.insert(args.begin(), port.begin(), port.end());
        return cli(args, env);
    };

    ASSERT_EQ(with({"save", saved}).exitCode, 0);
    EXPECT_EQ(with({"diff", saved}).out, "No differences.\n");
    ASSERT_EQ(with({"set", "m_base.m_switchRPM", "1800"}).exitCode, 0);
    EXPECT_EQ(with({"diff", saved}).out, "m_base.m_switchRPM\t1200\t1800\n");

    // Loading overwrites the controller: refused without --yes, and backed up first with it.
    EXPECT_EQ(with({"load", saved}).exitCode, 1);
    const auto loaded = with({"--yes", "load", saved});
    ASSERT_EQ(loaded.exitCode, 0) << loaded.err;
    EXPECT_NE(loaded.err.find((home.dir / "TARVOLA" / "settings" / "backup-").string()), std::string::npos) << loaded.err;
    EXPECT_EQ(with({"diff", saved}).out, "No differences.\n");

    ASSERT_EQ(with({"set", "m_adv.m_pwm", "45"}).exitCode, 0);
    const auto factory = with({"--yes", "factory-reset"});
    ASSERT_EQ(factory.exitCode, 0) << factory.err;
    EXPECT_NE(with({"--json", "dump"}).out.find("\"m_adv.m_pwm\": 50"), std::string::npos);

    // Two files; a file that is not a settings file is the caller's mistake.
    const std::string other = (home.dir / "other.xset").string();
    ASSERT_EQ(with({"save", other}).exitCode, 0);
    EXPECT_EQ(cli({"diff", saved, other}, env).exitCode, 0);
    std::ofstream(home.dir / "bad.xset") << "m_timeStamp\tx\r\n";
    EXPECT_EQ(cli({"diff", (home.dir / "bad.xset").string()}, env).exitCode, 2);
    EXPECT_EQ(with({"--yes", "load", (home.dir / "bad.xset").string()}).exitCode, 2);
}

TEST(CliService, CountersNextServiceAndTheNozzleCalculator)
{
    SimProcess sim;
    TempHome home;
    const auto set = cli({"--port", sim.path(), "--json", "service", "--next-km", "10000"}, {home.env()});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    // 10000 km at 50 km/h is 200 hours of gas running from now.
    EXPECT_NE(set.out.find("\"remainingServiceHours\": 200"), std::string::npos) << set.out;
    const auto shown = cli({"--port", sim.path(), "service"}, {home.env()});
    EXPECT_NE(shown.out.find("Next service:                 in 200 h on gas"), std::string::npos) << shown.out;
    EXPECT_EQ(cli({"--port", sim.path(), "service", "--next-km", "-5"}, {home.env()}).exitCode, 2);

    EXPECT_EQ(cli({"injector-size", "--hp", "120", "--cylinders", "4", "--type", "seq"}).out,
              "Nozzle: 2.6 mm (30 HP per cylinder)\n");
    EXPECT_EQ(cli({"injector-size", "--hp", "120", "--cylinders", "0", "--type", "seq"}).exitCode, 2);
    EXPECT_EQ(cli({"injector-size", "--hp", "120", "--cylinders", "4", "--type", "diesel"}).exitCode, 2);
}
