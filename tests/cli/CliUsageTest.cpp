// tarvola-cli's command line: mistakes refused before any port is opened, and the help.

#include "CliHarness.h"

using namespace tarvola::test;

TEST(CliUsage, MistakesAreRefusedBeforeAnyPortIsOpened)
{
    // Every case names a port that does not exist: exit 2, not 3, shows the mistake was found first.
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "no command given"},
        {{"frobnicate"}, "unknown command frobnicate"},
        {{"info", "--port"}, "option --port needs a value"},
        {{"--bogus", "info"}, "unknown option --bogus"},
        {{"--demo", "info"}, "--demo and --port exclude each other"},
        {{"--yes", "--no", "info"}, "--yes and --no exclude each other"},
        {{"--lang", "13", "errors"}, "--lang needs a language number from 0 to 12"},
        {{"--trace", "/proc/nowhere/trace", "info"}, "cannot write the trace file"},
        {{"switch", "diesel"}, "switch needs one of petrol, gas, auto"},
        {{"set", "m_base.m_nope", "1"}, "unknown key m_base.m_nope"},
        {{"set", "m_base.m_switchRPM", "fast"}, "\"fast\" is not a number"},
        {{"set", "m_base.m_sparkDivider", "300"}, "300 lies outside 0..255"},
        {{"set", "m_devInfo.m_version", "9"}, "is not a setting the controller keeps"},
        {{"set", "m_injMapTable[5][2000]", "60"}, "a map cell holds -50 to 50 %"},
        {{"set", "m_base.m_switchRPM"}, "set needs a key and a value"},
        {{"monitor", "--count", "0"}, "--count needs a whole number of at least 1"},
        {{"monitor", "--record", "/proc/nowhere/x.osc"}, "cannot write the recording"},
        {{"errors", "--all"}, "errors takes only --clear"},
        {{"service", "--next-km", "-5"}, "--next-km needs a distance from 0 (off) to 50000 km"},
        {{"injector-size", "--hp", "120", "--cylinders", "0", "--type", "seq"}, "the cylinder count is out of range"},
        {{"injector-size", "--hp", "120", "--cylinders", "4", "--type", "diesel"}, "injector-size takes --hp P"},
        {{"obd", "--rounds"}, "obd --rounds needs a number from 1 to 1000"},
        {{"obd", "--rounds", "0"}, "obd --rounds needs a number from 1 to 1000"},
        {{"obd", "--rounds", "3x"}, "obd --rounds needs a number from 1 to 1000"},
        {{"obd", "--all"}, "obd takes only --rounds N, --dtc and --clear-dtc"},
        {{"calibrate", "now"}, "calibrate takes no arguments"},
        {{"multiplier", "--force"}, "multiplier takes only --write"},
        {{"info"}, "no controller answers on /dev/tarvola-no-such-port"}}; // no mistake: the port is tried
    for (const auto& [args, message] : cases) {
        const auto r = cli(prepend({"--port", "/dev/tarvola-no-such-port"}, args));
        EXPECT_EQ(r.exitCode, args == std::vector<std::string>{"info"} ? 3 : 2) << message;
        EXPECT_THAT(r.err, HasSubstr(message));
    }
}

TEST(CliUsage, HelpAndPortsNeedNoController)
{
    const auto help = outputOf(cli({"--help"}));
    EXPECT_EQ(outputOf(cli({"help"})), help);
    // A short usage shares its line with the summary, a long one wraps; summaries continue indented.
    expectAll(help, {"\n  calibrate      run the autocalibration at idle",
                     "\n  flash IMAGE.img\n                 write a firmware",
                     "\n                 --clear-dtc erases them (asks; --yes confirms)\n"});
    outputOf(cli({"--port", "/dev/tarvola-no-such-port", "ports"}));
}
