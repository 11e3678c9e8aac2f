// tarvola-cli run as a program against tarvola-sim run as a program.

#include <gtest/gtest.h>

#include <fstream>

#include "Process.h"

using namespace tarvola::test;
namespace fs = std::filesystem;


TEST(CliInfo, JsonIdentityFromTheVirtualController)
{
    SimProcess sim;
    TempHome home;
    const auto r = cli({"--port", sim.path(), "--json", "info"}, {home.env()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\"port\": \"" + sim.path() + "\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"m_devInfo.m_version\": 518"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"m_devInfo.m_injCount\": 4"), std::string::npos);
    EXPECT_NE(r.out.find("\"m_devInfo.m_serial\": \"VLD12345\""), std::string::npos);
    EXPECT_NE(r.out.find("\"m_devInfo.m_prodDate\": \"15/03/2021\""), std::string::npos);
    EXPECT_NE(r.out.find("\"m_devInfo.m_flags1\": 4"), std::string::npos);
    EXPECT_NE(r.out.find("\"m_devInfo.m_deviceID\": 0"), std::string::npos);
    EXPECT_NE(r.out.find("\"m_devInfo.m_statistic.modify\": "), std::string::npos);
    // One line, one object.
    EXPECT_EQ(r.out.front(), '{');
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1);
}

TEST(CliInfo, TextIdentityOfTheVariantController)
{
    SimProcess sim({"--variant", "0x21", "--injectors", "6", "--version", "0x0301"});
    TempHome home;
    const auto r = cli({"--port", sim.path(), "info"}, {home.env()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Version:         769 (0x0301)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Injectors:       6"), std::string::npos);
    EXPECT_NE(r.out.find("Variant:         33"), std::string::npos);
}

TEST(CliInfo, SearchStartsAtTheLastPort)
{
    SimProcess sim;
    TempHome home;
    fs::create_directories(home.dir / "TARVOLA");
    std::ofstream(home.dir / "TARVOLA" / "TARVOLA.conf") << "[Software\\TARVOLA]\nLast RS nr=" << sim.path() << "\n";
    const auto r = cli({"--json", "info"}, {home.env()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\"port\": \"" + sim.path() + "\""), std::string::npos);
}

TEST(CliInfo, DemoModeAnswersWithTheDemoIdentity)
{
    const auto r = cli({"--demo", "--json", "info"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\"port\": \"demo\""), std::string::npos);
    EXPECT_NE(r.out.find("\"m_devInfo.m_version\": 768"), std::string::npos);
    EXPECT_NE(r.out.find("\"m_devInfo.m_serial\": \"qx001\""), std::string::npos);
    EXPECT_NE(r.out.find("\"m_devInfo.m_statistic.lpg\": 45"), std::string::npos);
}

TEST(CliInfo, TraceRecordsEveryFrameWithItsCommand)
{
    SimProcess sim;
    TempHome home;
    const auto traceFile = (home.dir / "trace.txt").string();
    const auto r = cli({"--port", sim.path(), "--trace", traceFile, "info"}, {home.env()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::ifstream in(traceFile);
    const std::string trace((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(trace.find("-> AA 55 06 02 CC 00 00 00 00 00 00 D5  checkLink"), std::string::npos) << trace;
    EXPECT_NE(trace.find("<- AA 55 06 02 04 21 00 55"), std::string::npos) << trace;
    EXPECT_NE(trace.find("-> AA 55 06 02 0D 00 00 00 00 00 00 16  readIdentity"), std::string::npos);
    EXPECT_NE(trace.find("readStatistics"), std::string::npos);
}

TEST(CliInfo, ExitCodesForUsageAndMissingControllers)
{
    EXPECT_EQ(cli({}).exitCode, 2);
    EXPECT_EQ(cli({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(cli({"--port"}).exitCode, 2);
    EXPECT_EQ(cli({"--bogus", "info"}).exitCode, 2);
    EXPECT_EQ(cli({"--demo", "--port", "/dev/null", "info"}).exitCode, 2);
    EXPECT_EQ(cli({"--yes", "--no", "info"}).exitCode, 2);
    EXPECT_EQ(cli({"--trace", "/proc/nowhere/trace", "--demo", "info"}).exitCode, 2);
    const auto missing = cli({"--port", "/dev/tarvola-no-such-port", "info"});
    EXPECT_EQ(missing.exitCode, 3);
    EXPECT_NE(missing.err.find("no controller answers"), std::string::npos);
    EXPECT_EQ(cli({"ports"}).exitCode, 0);
    EXPECT_EQ(cli({"--help"}).exitCode, 0);
}

TEST(CliSwitch, ModesAndRefusals)
{
    SimProcess sim;
    TempHome home;
    EXPECT_EQ(cli({"--port", sim.path(), "switch", "diesel"}, {home.env()}).exitCode, 2);
    const auto gas = cli({"--port", sim.path(), "switch", "gas", "--json"}, {home.env()});
    EXPECT_EQ(gas.exitCode, 0) << gas.err;
    EXPECT_EQ(gas.out, "{\"mode\": \"gas\", \"ok\": true}\n");
    EXPECT_EQ(cli({"--demo", "switch", "auto"}).exitCode, 0);
}
