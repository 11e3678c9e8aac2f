// tarvola-cli map against tarvola-sim run as a program: a rectangle named by its settings-file keys
// reaches the controller's map as one range request, mistakes are refused before any port is opened,
// and a point map is erased only with --yes.

#include "CliHarness.h"

using namespace tarvola::test;

namespace {
int countOf(const std::string& text, const std::string& part)
{
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}
} // namespace

TEST(CliMap, ARectangleReachesTheControllerAndThePrintedGrid)
{
    SimCli run;
    const auto trace = (run.home.dir / "trace.txt").string();
    const auto out = outputOf(run({"--trace", trace, "map", "add", "5", "--rows", "3..5", "--rpm", "1500..2500"}));
    const std::string zeros = "    0    0    0    0    0    0    0    0    0    0    0\n";
    expectAll(out, {"add 5 % at rows 3..5, rpm 1500..2500; stored in the controller\n",
                    "\nrow\\rpm 1000 1500 2000 2500 3000", "\n      2    0    0    0    0" + zeros,
                    "\n      3    0    5    5    5" + zeros, "\n      5    0    5    5    5" + zeros,
                    "\n      6    0    0    0    0" + zeros});
    const auto frames = readFile(trace);
    EXPECT_EQ(countOf(frames, "editMapRange\n"), 2) << "one request and its reply"; // -> and <-
    EXPECT_EQ(countOf(frames, "storeMap\n"), 2);

    // The controller's own map, read through the settings keys, holds exactly that rectangle.
    outputOf(run({"map", "set", "-7", "--rows", "20", "--rpm", "8000"}));
    expectAll(outputOf(run({"--json", "dump"})),
              {"\"m_injMapTable[3][1500]\": 5,", "\"m_injMapTable[5][2500]\": 5,", "\"m_injMapTable[2][1500]\": 0,",
               "\"m_injMapTable[6][2500]\": 0,", "\"m_injMapTable[4][1000]\": 0,", "\"m_injMapTable[4][3000]\": 0,",
               "\"m_injMapTable[20][8000]\": -7,"});
    EXPECT_THAT(outputOf(run({"--json", "map"})),
                StartsWith("{\"rows\": [2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20], "
                           "\"rpm\": [1000, 1500, 2000, 2500, 3000, 3500, 4000, 4500, 5000, 5500, 6000, 6500, "
                           "7000, 7500, 8000], \"values\": [[0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0], "
                           "[0, 5, 5, 5, 0,"));
}

TEST(CliMap, MistakesAreRefusedBeforeAnyPortIsOpened)
{
    const std::vector<std::string> rect = {"--rows", "3", "--rpm", "1500"};
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {prepend({"map", "add", "51"}, rect), "map add takes a whole percentage from 0 to 50"},
        {prepend({"map", "sub", "-1"}, rect), "map sub takes a whole percentage from 0 to 50"},
        {prepend({"map", "add", "2.5"}, rect), "map add takes a whole percentage from 0 to 50"},
        {prepend({"map", "set", "-51"}, rect), "map set takes a whole percentage from -50 to 50"},
        {prepend({"map", "set"}, rect), "map set takes a whole percentage"},
        {{"map", "clear", "--rows", "1..3", "--rpm", "1500"}, "--rows takes row keys from 2 to 20"},
        {{"map", "clear", "--rows", "21", "--rpm", "1500"}, "--rows takes row keys from 2 to 20"},
        {{"map", "clear", "--rows", "5..3", "--rpm", "1500"}, "the first not above the last (not 5..3)"},
        {{"map", "clear", "--rows", "3", "--rpm", "1250"}, "--rpm takes engine speeds from 1000 to 8000"},
        {{"map", "clear", "--rows", "3", "--rpm", "500..1000"}, "--rpm takes engine speeds"},
        {{"map", "clear", "--rows", "3", "--rpm", "8500"}, "--rpm takes engine speeds"},
        {{"map", "clear", "--rows", "3", "--rpm", "2000..1500"}, "--rpm takes engine speeds"},
        {{"map", "clear", "--rows", "3"}, "map clear needs --rows R1..R2 and --rpm N1..N2"},
        {{"map", "clear", "--rows", "3", "--rows", "4", "--rpm", "1000"}, "once each"},
        {{"map", "fill"}, "map takes add, sub, set, clear or erase, not fill"},
        {{"map", "erase", "diesel"}, "map erase needs petrol or gas"},
        {{"map", "erase", "gas"}, "give --yes to erase it"},
        {{"map"}, "no controller answers on /dev/tarvola-no-such-port"}}; // no mistake: the port is tried
    for (const auto& [args, message] : cases) {
        const auto r = cli(prepend({"--port", "/dev/tarvola-no-such-port"}, args));
        EXPECT_EQ(r.exitCode, args.size() == 1 ? 3 : 2) << message;
        EXPECT_THAT(r.err, HasSubstr(message));
    }
}

TEST(CliMap, APointMapIsErasedOnlyWithYes)
{
    SimCli run;
    const auto trace = (run.home.dir / "erase.txt").string();
    const auto no = run({"--trace", trace, "--no", "map", "erase", "petrol"});
    EXPECT_EQ(no.exitCode, 1);
    EXPECT_THAT(no.err, HasSubstr("the petrol map was not erased (--no)"));
    EXPECT_EQ(readFile(trace), "") << "nothing is sent when declined";

    EXPECT_EQ(outputOf(run({"--trace", trace, "--yes", "map", "erase", "gas"})), "Gas map erased\n");
    const auto frames = readFile(trace);
    EXPECT_EQ(countOf(frames, "eraseGasMap\n"), 2);
    EXPECT_EQ(countOf(frames, "erasePetrolMap"), 0);
}
