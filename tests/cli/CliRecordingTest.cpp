// tarvola-cli recording: a recording made by monitor --record against the virtual controller is
// summarized and exported as CSV without a controller; anything else is refused.

#include "CliHarness.h"

using namespace tarvola::test;

TEST(CliRecording, SummaryAndCsvOfARecordingMadeByMonitor)
{
    SimCli run;
    const auto osc = (run.home.dir / "run.osc").string();
    outputOf(run({"monitor", "--count", "12", "--record", osc}));

    // The English names come from --lang; the virtual controller idles at about 800 rpm.
    const std::string summary = outputOf(cli({"--lang", "1", "recording", osc}));
    expectAll(summary, {"Records:   12\n", "one record every 0.126 s", "Engine speed [1/min]", "Gas inj. 8 [ms]",
                        "Lambda 2 [V]", "minimum      mean   maximum"});
    const std::string json = outputOf(cli({"--json", "recording", osc}));
    expectAll(json, {"\"records\": 12", "\"samplePeriodSeconds\": 0.126", "\"unit\": \"kPa\""});

    const std::string csv = outputOf(cli({"--lang", "1", "recording", osc, "--csv"}));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 13) << "a header and twelve records";
    EXPECT_THAT(csv, StartsWith("Time [s],Work mode,Engine speed [1/min],Petrol inj. 1 [ms],Gas inj. 1 [ms],"));
    EXPECT_THAT(csv, HasSubstr("\n1.386,"));

    // Written to a file, it replaces what was there, and says so.
    const auto out = run.home.dir / "run.csv";
    std::ofstream(out) << "old";
    EXPECT_THAT(outputOf(cli({"--lang", "1", "recording", osc, "--csv", out.string()})), HasSubstr("12 records"));
    EXPECT_EQ(readFile(out), csv);
}

TEST(CliRecording, RefusesWhatIsNoRecordingAndBadUsage)
{
    TempHome home;
    const auto text = home.dir / "notes.osc";
    std::ofstream(text) << "this is\nnot a recording\n";
    const auto empty = home.dir / "empty.osc";
    std::ofstream(empty).flush();
    for (const auto& file : {text, empty, home.dir / "missing.osc"}) {
        const RunResult r = cli({"--lang", "1", "recording", file.string()});
        EXPECT_EQ(r.exitCode, 1) << file;
        EXPECT_THAT(r.err, HasSubstr(file.string() + ": ")) << file;
        EXPECT_TRUE(r.out.empty()) << file;
    }
    EXPECT_THAT(cli({"--lang", "1", "recording", text.string()}).err,
                HasSubstr("This file is not an oscilloscope recording."));
    EXPECT_EQ(cli({"recording"}).exitCode, 2);
    EXPECT_EQ(cli({"recording", text.string(), "--bogus"}).exitCode, 2);
}
