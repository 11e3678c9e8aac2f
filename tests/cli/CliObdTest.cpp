// tarvola-cli obd against tarvola-sim run as a program: live values, trouble codes given to the
// car with --dtc, erasing them (only when confirmed), the K-line car, and the usage errors.

#include <gtest/gtest.h>

#include <algorithm>

#include "Process.h"

using namespace tarvola::test;

namespace {
std::size_t lineCount(const std::string& text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}
} // namespace

TEST(CliObd, ShowsTheProtocolStandardAndLiveValues)
{
    SimProcess sim;
    TempHome home;
    const auto r = cli({"--port", sim.path(), "--lang", "0", "obd"}, {home.env()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("OBD link: Podłączone\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Protocol: CAN 11-bit 500kb/s\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("OBD standard: OBD Europe (EOBD)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Podciśnienie: "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" kPa\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(": - "), std::string::npos) << "every supported value arrived:\n" << r.out;
    EXPECT_EQ(lineCount(r.out), 3u + 5u);

    const auto json = cli({"--port", sim.path(), "--json", "obd", "--rounds", "1"}, {home.env()});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(json.out.rfind("{\"connected\": true, ", 0), 0u) << json.out;
    EXPECT_NE(json.out.find("{\"pid\": 11, "), std::string::npos) << json.out;
    EXPECT_EQ(json.out.find("\"codes\""), std::string::npos) << json.out;
}

TEST(CliObd, ListsTheCodesTheSimulatorWasGivenAndErasesThemOnlyWhenConfirmed)
{
    SimProcess sim({"--dtc", "P0171,P0301"});
    TempHome home;
    const std::vector<std::string> port{"--port", sim.path()};
    const auto with = [&](std::vector<std::string> args) {
        args.insert(args.begin(), port.begin(), port.end());
        return cli(args, {home.env()});
    };
    const auto listed = with({"obd", "--dtc"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_NE(listed.out.find("\nP0171   System too Lean (Bank 1)\nP0301   Cylinder 1 Misfire Detected\n"),
              std::string::npos)
        << listed.out;

    const auto refused = with({"obd", "--clear-dtc"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("--yes"), std::string::npos) << refused.err;
    EXPECT_NE(with({"obd", "--dtc"}).out.find("P0301"), std::string::npos) << "still stored";

    const auto erased = with({"--yes", "--json", "obd", "--clear-dtc"});
    ASSERT_EQ(erased.exitCode, 0) << erased.err;
    EXPECT_NE(erased.out.find("\"cleared\": true, \"codes\": []}"), std::string::npos) << erased.out;
    EXPECT_NE(with({"obd", "--dtc"}).out.find("No trouble codes."), std::string::npos);
}

TEST(CliObd, KLineAndTwentyNineBitCars)
{
    {
        SimProcess sim({"--obd", "kline", "--dtc", "P0420"});
        TempHome home;
        const auto r = cli({"--port", sim.path(), "obd", "--dtc", "--rounds", "2"}, {home.env()});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.out.find("Protocol: ISO9141/KWP2000\n"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("STFT bank 1: "), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("P0420   Catalyst System Efficiency Below Threshold (Bank 1)"), std::string::npos);
    }
    SimProcess sim({"--obd", "can29", "--dtc", "none"});
    TempHome home;
    const auto r = cli({"--port", sim.path(), "obd", "--dtc"}, {home.env()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Protocol: CAN 29-bit 500kb/s\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("No trouble codes."), std::string::npos) << r.out;
}

TEST(CliObd, UsageErrorsAndRefusedSimulatorCodes)
{
    for (std::vector<std::string> bad : {std::vector<std::string>{"obd", "--rounds"}, {"obd", "--rounds", "0"},
                                         {"obd", "--rounds", "3x"}, {"obd", "--all"}}) {
        bad.insert(bad.begin(), "--demo");
        const auto r = cli(bad);
        EXPECT_EQ(r.exitCode, 2) << bad.back();
        EXPECT_NE(r.err.find("obd"), std::string::npos) << r.err;
    }
    const auto sim = run({TARVOLA_SIM_BIN, "--dtc", "P0171,X123"});
    EXPECT_EQ(sim.exitCode, 2);
    EXPECT_NE(sim.err.find("'X123'"), std::string::npos) << sim.err;
    EXPECT_EQ(run({TARVOLA_SIM_BIN, "--obd", "vpw"}).exitCode, 2);
    EXPECT_NE(cli({"--help"}).out.find("obd [--rounds N] [--dtc] [--clear-dtc]"), std::string::npos);
}
