// tarvola-cli calibrate and multiplier against tarvola-sim run as a program: the cold-reducer
// refusal, the point maps and the line they call for, and writing it. The whole autocalibration
// runs against the virtual controller in the end-to-end tests of the core, with a faster engine.

#include "CliHarness.h"

using namespace tarvola::test;

TEST(CliCalibrate, AColdReducerRefusesTheStart)
{
    SimCli run({"--cold"});
    const auto r = run({"--lang", "0", "--yes", "calibrate"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    expectAll(r.err, {"Temperatura reduktora mniejsza niż 50", "Uruchom autokalibrację po rozgrzaniu silnika"});
    EXPECT_EQ(r.out, "Autocalibration not started\n");
    EXPECT_THAT(run({"--json", "calibrate"}).out, StartsWith("{\"outcome\": \"not-started\""));
}

TEST(CliCalibrate, MultiplierShowsTheMapsAndWritesTheLine)
{
    SimCli run({"--warm", "--time-scale", "50"});
    // The engine fills the petrol map, and once switched the gas map: wait until each shows.
    std::string json;
    const auto mapShows = [&](const char* pattern) {
        json = outputOf(run({"--json", "multiplier"}));
        return Value(json, ContainsRegex(pattern));
    };
    ASSERT_TRUE(waitFor([&] { return mapShows("\"petrolMs\": [1-9]"); })) << json;
    EXPECT_EQ(outputOf(run({"switch", "gas"})), "Switched to gas\n");
    ASSERT_TRUE(waitFor([&] { return mapShows("\"gasMs\": [1-9]"); })) << json;
    EXPECT_THAT(json, StartsWith("{\"petrolFillPercent\": "));
    EXPECT_EQ(json.find('\n'), json.size() - 1) << "one line, one object";

    const auto text = outputOf(run({"multiplier"}));
    EXPECT_THAT(text, StartsWith("Petrol map: "));
    expectAll(text, {"\nGas map: ", "Multiplier line (petrol time, now, change, proposed):\n", "  19-20 ms "});
    EXPECT_THAT(text, Not(HasSubstr("written"))) << "nothing is written without --write";

    const auto w = run({"--lang", "1", "--no", "multiplier", "--write"});
    EXPECT_THAT(w.out, HasSubstr("Multiplier line written\n"));
    EXPECT_THAT(w.err, HasSubstr("Do you want to erase the gas map? [no]"));
}
