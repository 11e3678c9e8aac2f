// The working commands of tarvola-cli against tarvola-sim run as a program.

#include <gtest/gtest.h>

#include "Process.h"

using namespace tarvola::test;

TEST(CliErrors, ListsAndClearsTheStoredErrors)
{
    SimProcess sim({"--errors", "0x05,0x02,0,1"});
    TempHome home;
    const auto listed = cli({"--port", sim.path(), "errors"}, {home.env()});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_NE(listed.out.find("Error flags: 05 02 00 01"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("Wtryskiwacze: Błąd wtryskiwacza gazu 2"), std::string::npos) << listed.out;

    const auto cleared = cli({"--port", sim.path(), "--json", "errors", "--clear"}, {home.env()});
    ASSERT_EQ(cleared.exitCode, 0) << cleared.err;
    EXPECT_EQ(cleared.out, "{\"flags\": \"00 00 00 00\", \"cleared\": true, \"errors\": []}\n");
    EXPECT_EQ(cli({"--port", sim.path(), "errors", "--all"}, {home.env()}).exitCode, 2);
}
