// tarvola-cli info against tarvola-sim run as a program: the identity as JSON, as text and in demo
// mode, the search from the last port, and the trace of every frame.

#include "CliHarness.h"

using namespace tarvola::test;

TEST(CliInfo, IdentityAsJsonAsTextAndInDemoMode)
{
    SimCli run;
    const auto json = outputOf(run({"--json", "info"}));
    expectAll(json, {"\"port\": \"" + run.path + "\"", "\"m_devInfo.m_version\": 518", "\"m_devInfo.m_injCount\": 4",
                     "\"m_devInfo.m_serial\": \"VLD12345\"", "\"m_devInfo.m_prodDate\": \"15/03/2021\"",
                     "\"m_devInfo.m_flags1\": 4", "\"m_devInfo.m_deviceID\": 0", "\"m_devInfo.m_statistic.modify\": "});
    EXPECT_THAT(json, StartsWith("{"));
    EXPECT_EQ(json.find('\n'), json.size() - 1) << "one line, one object";

    SimCli variant({"--variant", "0x21", "--injectors", "6", "--firmware-version", "0x0301"});
    expectAll(outputOf(variant({"info"})), {"Version:         769 (0x0301)", "Injectors:       6", "Variant:         33"});
    expectAll(outputOf(cli({"--demo", "--json", "info"})), {"\"port\": \"demo\"", "\"m_devInfo.m_version\": 768",
                                                            "\"m_devInfo.m_statistic.lpg\": 45"});
}

TEST(CliInfo, SearchStartsAtTheLastPort)
{
    SimCli run;
    fs::create_directories(run.home.dir / "TARVOLA");
    std::ofstream(run.home.dir / "TARVOLA" / "TARVOLA.conf") << "[Software\\TARVOLA]\nLast RS nr=" << run.path << "\n";
    EXPECT_THAT(outputOf(cli({"--json", "info"}, run.home.env())), HasSubstr("\"port\": \"" + run.path + "\""));
}

TEST(CliInfo, TraceRecordsEveryFrameWithItsCommand)
{
    SimCli run;
    const auto trace = (run.home.dir / "trace.txt").string();
    outputOf(run({"--trace", trace, "info"}));
    expectAll(readFile(trace), {"-> AA 55 06 02 CC 00 00 00 00 00 00 D5  checkLink", "<- AA 55 06 02 04 21 00 55",
                                "-> AA 55 06 02 0D 00 00 00 00 00 00 16  readIdentity", "readStatistics"});
}
