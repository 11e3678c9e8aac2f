// tarvola-cli obd against tarvola-sim run as a program: live values of the car behind the gateway,
// trouble codes given to the car with --dtc, and erasing them only when confirmed.

#include <algorithm>

#include "CliHarness.h"

using namespace tarvola::test;

TEST(CliObd, ShowsTheProtocolStandardAndLiveValues)
{
    SimCli run;
    const auto text = outputOf(run({"--lang", "0", "obd"}));
    expectAll(text, {"OBD link: Podłączone\n", "Protocol: CAN 11-bit 500kb/s\n", "OBD standard: OBD Europe (EOBD)\n",
                     "Podciśnienie: ", " kPa\n"});
    EXPECT_THAT(text, Not(HasSubstr(": - "))) << "every supported value arrived";
    EXPECT_EQ(std::ranges::count(text, '\n'), 3 + 5);

    const auto json = outputOf(run({"--json", "obd", "--rounds", "1"}));
    EXPECT_THAT(json, StartsWith("{\"connected\": true, "));
    EXPECT_THAT(json, HasSubstr("{\"pid\": 11, "));
    EXPECT_THAT(json, Not(HasSubstr("\"codes\"")));
}

TEST(CliObd, ListsTheCodesTheCarWasGivenAndErasesThemOnlyWhenConfirmed)
{
    // Codes outside the table keep the letter a scan tool shows.
    SimCli run({"--dtc", "P0171,P0301,C0035,U0100"});
    EXPECT_THAT(outputOf(run({"obd", "--dtc"})),
                HasSubstr("\nP0171   System too Lean (Bank 1)\nP0301   Cylinder 1 Misfire Detected\n"
                          "C0035  UNKNOWN \nU0100  UNKNOWN \n"));
    const auto refused = run({"obd", "--clear-dtc"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err, HasSubstr("--yes"));
    EXPECT_THAT(outputOf(run({"obd", "--dtc"})), HasSubstr("P0301")) << "still stored";

    EXPECT_THAT(outputOf(run({"--yes", "--json", "obd", "--clear-dtc"})), HasSubstr("\"cleared\": true, \"codes\": []}"));
    EXPECT_THAT(outputOf(run({"obd", "--dtc"})), HasSubstr("No trouble codes."));
}
