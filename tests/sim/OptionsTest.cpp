// Command line of tarvola-sim: every option reaches the settings (the OBD ones the virtual
// controller too) and the help text, and every bad value is refused with a message that names
// what was wrong.
#include <gtest/gtest.h>

#include "Options.h"
#include "VirtualController.h"

using namespace tarvola::sim;

namespace {

using Codes = std::vector<std::uint16_t>;

using Line = const CommandLine&;

struct Accepted {
    std::vector<std::string> args;
    bool (*holds)(Line);
};

// The base identifier of the OBD connection record that a controller with these options starts with.
std::uint32_t recordBase(const SimOptions& o) {
    return getLE32(&VirtualController(o).settingsBlock(Block::ObdConnection)[0]);
}

struct Refused {
    std::vector<std::string> args;
    const char* says = nullptr;  // what the message must contain; the option itself when null
};

}  // namespace

TEST(SimCommandLine, EachOptionReachesTheSettingsAndIsDocumented) {
    const Accepted cases[] = {
        {{"--variant", "0x21"}, [](Line c) { return c.sim.variant == 0x21; }},
        {{"--injectors", "8"}, [](Line c) { return c.sim.injectors == 8; }},
        {{"--firmware-version", "0x0301"}, [](Line c) { return c.sim.version == 0x0301; }},
        {{"--no-diag"}, [](Line c) { return c.sim.noDiag; }},
        {{"--no-firmware-update"}, [](Line c) { return c.sim.noFirmwareUpdate; }},
        {{"--fault", "noise", "--fault-rate", "0.25", "--fault-after", "7"},
         [](Line c) { return c.sim.fault == Fault::Noise && c.sim.faultRate == 0.25 && c.sim.faultAfter == 7; }},
        {{"--seed", "18446744073709551615"}, [](Line c) { return c.sim.seed == ~0ull; }},
        {{"--pace"}, [](Line c) { return c.sim.pace; }},
        {{"--start", "auto"}, [](Line c) { return c.sim.start == EngineStart::Auto; }},
        {{"--warm"}, [](Line c) { return c.sim.warm && !c.sim.cold; }},
        {{"--cold"}, [](Line c) { return c.sim.cold && !c.sim.warm; }},
        {{"--drive"}, [](Line c) { return c.sim.driveCycle; }},
        {{"--stall-after", "0"}, [](Line c) { return c.sim.stallAfter == 0; }},
        {{"--time-scale", "12.5"}, [](Line c) { return c.sim.timeScale == 12.5; }},
        {{"--gas-flow", "0.2", "--gas-dead", "-0.75"}, [](Line c) { return c.sim.gasFlow == 0.2 && c.sim.gasDeadMs == -0.75; }},
        {{"--errors", "0x81,6,0X41,255"},
         [](Line c) { return c.sim.errorFlags == std::array<std::uint8_t, 4>{0x81, 6, 0x41, 0xFF}; }},
        {{"--obd", "kline"}, [](Line c) { return c.sim.obdBus == ObdBus::KLine && recordBase(c.sim) == 0x7A0; }},
        {{"--obd", "can29"}, [](Line c) { return c.sim.obdBus == ObdBus::Can29 && recordBase(c.sim) == 0x18DB33F1; }},
        {{"--dtc", "p0a1f, C1234 ,B2001,U3FFF"},
         [](Line c) { return VirtualController(c.sim).troubleCodes() == Codes{0x0A1F, 0x5234, 0xA001, 0xFFFF}; }},
        {{"--dtc", "none"}, [](Line c) { return c.sim.troubleCodes->empty(); }},
        {{}, [](Line c) { return !c.sim.troubleCodes; }},  // the car keeps its own codes
        {{"--link", "/tmp/sim-port"}, [](Line c) { return c.linkPath == "/tmp/sim-port"; }},
        {{"--help"}, [](Line c) { return c.help; }},
    };
    const std::string usage = usageText();
    for (const Accepted& k : cases) {
        CommandLine cl;
        std::string error;
        const std::string first = k.args.empty() ? "(none)" : k.args[0];
        ASSERT_TRUE(parseCommandLine(k.args, cl, error)) << first << ": " << error;
        EXPECT_TRUE(k.holds(cl)) << first;
        EXPECT_TRUE(k.args.empty() || usage.find(first + " ") != std::string::npos) << first << " is not in --help";
    }
}

TEST(SimCommandLine, RefusesBadValuesNamingTheOption) {
    std::string many = "P0110";
    for (int i = 1; i < 33; ++i) many += ",P01" + std::to_string(10 + i);
    const Refused cases[] = {
        {{"--injectors", "9"}}, {{"--injectors", "0"}}, {{"--firmware-version", "0x10000"}}, {{"--firmware-version", "12abc"}},
        {{"--fault", "loud"}, "fault 'loud'"}, {{"--fault-rate", "1.5"}}, {{"--fault-rate", "0,5"}},
        {{"--fault-after", "-1"}}, {{"--variant", "0x"}}, {{"--start", "diesel"}}, {{"--frobnicate"}},
        {{"--errors", "1,2,3"}}, {{"--errors", "1,2,3,4,5"}}, {{"--errors", "1,,3,4"}}, {{"--errors", "0,0,0,256"}},
        {{"--errors", "0,0,0,0x"}}, {{"--errors", "0, 1,2,3"}},
        {{"--cold", "--warm"}}, {{"--warm", "--cold"}, "--cold"}, {{"--stall-after", "-1"}},
        {{"--stall-after", "1.5"}}, {{"--stall-after", "99999999999999999999"}}, {{"--time-scale", "0.5"}},
        {{"--time-scale", "101"}}, {{"--time-scale", "nan"}}, {{"--time-scale", "inf"}}, {{"--time-scale", "2,5"}},
        {{"--gas-flow", "0.19"}}, {{"--gas-flow", "5.01"}}, {{"--gas-flow", ""}}, {{"--gas-dead", "-5.5"}},
        {{"--gas-dead", "10.1"}}, {{"--gas-dead", "1.2ms"}}, {{"--gas-dead"}, "needs a value"},
        {{"--obd", "can"}, "kline"}, {{"--dtc"}, "needs a value"}, {{"--dtc", many}, "at most"},
        {{"--dtc", ""}}, {{"--dtc", "P017"}}, {{"--dtc", "P01711"}}, {{"--dtc", "X0171"}}, {{"--dtc", "P4171"}},
        {{"--dtc", "P01G1"}}, {{"--dtc", "P0171,"}}, {{"--dtc", ",P0171"}}, {{"--dtc", "P0171,,P0301"}},
        {{"--dtc", "P0000"}}, {{"--dtc", "P0171;P0301"}}, {{"--dtc", "0171"}},
    };
    for (const Refused& k : cases) {
        CommandLine cl;
        std::string error;
        const std::string shown = k.args[0] + (k.args.size() > 1 ? " " + k.args[1] : "");
        EXPECT_FALSE(parseCommandLine(k.args, cl, error)) << shown;
        EXPECT_NE(error.find(k.says ? k.says : k.args[0]), std::string::npos) << shown << ": " << error;
    }
}
