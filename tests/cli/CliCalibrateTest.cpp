// tarvola-cli calibrate and multiplier against tarvola-sim run as a program: the cold-reducer refusal,
// the point maps and the line they call for, writing it, and the usage errors. The whole
// autocalibration runs against the virtual controller in the end-to-end tests, with a faster engine.

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "Process.h"

using namespace tarvola::test;

TEST(CliCalibrate, AColdReducerRefusesTheStart)
{
    SimProcess sim({"--cold"});
    TempHome home;
    const auto r = cli({"--port", sim.path(), "--lang", "0", "--yes", "calibrate"}, {home.env()});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("Temperatura reduktora mniejsza niż 50"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Uruchom autokalibrację po rozgrzaniu silnika"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "Autocalibration not started\n");

    const auto json = cli({"--port", sim.path(), "--json", "calibrate"}, {home.env()});
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_EQ(json.out.rfind("{\"outcome\": \"not-started\"", 0), 0u) << json.out;
}

TEST(CliCalibrate, MultiplierShowsTheMapsAndWritesTheLine)
{
    SimProcess sim({"--warm", "--time-scale", "50"});
    TempHome home;
    // A few engine seconds on petrol, then on gas, so both maps hold samples.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_EQ(cli({"--port", sim.path(), "switch", "gas"}, {home.env()}).exitCode, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    const auto r = cli({"--port", sim.path(), "multiplier"}, {home.env()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Petrol map: ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\nGas map: "), std::string::npos);
    EXPECT_NE(r.out.find("Multiplier line (petrol time, now, change, proposed):\n"), std::string::npos);
    EXPECT_NE(r.out.find("  19-20 ms "), std::string::npos);
    EXPECT_EQ(r.out.find("written"), std::string::npos) << "nothing is written without --write";

    const auto w = cli({"--port", sim.path(), "--lang", "1", "--no", "multiplier", "--write"}, {home.env()});
    ASSERT_EQ(w.exitCode, 0) << w.err;
    EXPECT_NE(w.out.find("Multiplier line written\n"), std::string::npos);
    EXPECT_NE(w.err.find("Do you want to erase the gas map? [no]"), std::string::npos) << w.err;

    const auto json = cli({"--port", sim.path(), "--json", "multiplier"}, {home.env()});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(json.out.rfind("{\"petrolFillPercent\": ", 0), 0u) << json.out;
    EXPECT_NE(json.out.find("\"proposed\": ["), std::string::npos);
    EXPECT_EQ(std::count(json.out.begin(), json.out.end(), '\n'), 1);
}

TEST(CliCalibrate, UsageErrors)
{
    EXPECT_EQ(cli({"--demo", "calibrate", "now"}).exitCode, 2);
    EXPECT_EQ(cli({"--demo", "multiplier", "--force"}).exitCode, 2);
    const auto help = cli({"--help"});
    EXPECT_NE(help.out.find("  calibrate "), std::string::npos);
    EXPECT_NE(help.out.find("  multiplier [--write]"), std::string::npos);
}
