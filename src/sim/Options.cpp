// Command-line parsing of tarvola-sim. Numbers are read in the "C" locale with from_chars.
#include "Options.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <limits>
#include <vector>

namespace tarvola::sim {
namespace {

// Decimal, or hexadecimal with a 0x prefix; the whole text must be the number.
bool parseUnsigned(const std::string& text, std::uint64_t& out) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        first += 2;
        base = 16;
    }
    if (first == last) return false;
    const auto r = std::from_chars(first, last, out, base);
    return r.ec == std::errc() && r.ptr == last;
}

// Exactly four byte values separated by commas, each decimal or 0x hex.
bool parseErrorFlags(const std::string& text, std::array<std::uint8_t, 4>& out) {
    std::array<std::uint8_t, 4> flags{};
    std::size_t from = 0;
    for (std::size_t i = 0; i < flags.size(); ++i) {
        const std::size_t comma = text.find(',', from);
        if ((i + 1 < flags.size()) != (comma != std::string::npos)) return false;
        std::uint64_t u = 0;
        if (!parseUnsigned(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from), u) ||
            u > 0xFF)
            return false;
        flags[i] = static_cast<std::uint8_t>(u);
        from = comma + 1;
    }
    out = flags;
    return true;
}

constexpr std::size_t kMaxTroubleCodes = 32;  // what one service 3 answer carries through the gateway

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// One code as a fitter writes it, "P0171": the letter (P, C, B or U), a digit 0..3 and three hex
// digits, into the two-byte form the car sends (letter in bits 14-15, digit in 12-13).
bool parseTroubleCode(const std::string& text, std::uint16_t& out) {
    if (text.size() != 5) return false;
    static const std::string letters = "PCBU";
    const auto letter = letters.find(static_cast<char>(text[0] & ~0x20));
    const int first = text[1] - '0';
    if (letter == std::string::npos || first < 0 || first > 3) return false;
    unsigned code = static_cast<unsigned>(letter) << 14 | static_cast<unsigned>(first) << 12;
    for (std::size_t i = 2; i < 5; ++i) {
        const int d = hexDigit(text[i]);
        if (d < 0) return false;
        code |= static_cast<unsigned>(d) << (4 * (4 - i));
    }
    out = static_cast<std::uint16_t>(code);
    return true;
}

// "P0171,P0301" (spaces around the commas allowed) or "none".
bool parseTroubleCodes(const std::string& text, std::vector<std::uint16_t>& out, std::string& error) {
    out.clear();
    if (text == "none") return true;
    std::size_t from = 0;
    while (true) {
        const std::size_t comma = text.find(',', from);
        std::string item = text.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
        const auto first = item.find_first_not_of(' ');
        const auto last = item.find_last_not_of(' ');
        item = first == std::string::npos ? std::string() : item.substr(first, last - first + 1);
        std::uint16_t code = 0;
        if (!parseTroubleCode(item, code)) {
            error = "--dtc needs trouble codes such as P0171,P0301 (or none), not '" + item + "'";
            return false;
        }
        if (code == 0) {
            error = "--dtc: P0000 is no trouble code";
            return false;
        }
        if (out.size() == kMaxTroubleCodes) {
            error = "--dtc takes at most " + std::to_string(kMaxTroubleCodes) + " codes";
            return false;
        }
        out.push_back(code);
        if (comma == std::string::npos) return true;
        from = comma + 1;
    }
}

bool parseDouble(const std::string& text, double& out) {
    const char* last = text.data() + text.size();
    const auto r = std::from_chars(text.data(), last, out);
    return !text.empty() && r.ec == std::errc() && r.ptr == last;
}

// A decimal number within [low, high]; the message names the option and the range.
bool parseRange(const std::string& option, const std::string& text, double low, double high, const char* what,
                double& out, std::string& error) {
    double v = 0;
    if (!parseDouble(text, v) || !(v >= low && v <= high)) {
        error = option + " needs " + what + ", not '" + text + "'";
        return false;
    }
    out = v;
    return true;
}

}  // namespace

bool parseObdBus(const std::string& text, ObdBus& out) {
    if (text == "can11")
        out = ObdBus::Can11;
    else if (text == "kline")
        out = ObdBus::KLine;
    else if (text == "can29")
        out = ObdBus::Can29;
    else
        return false;
    return true;
}

const char* usageText() {
    return "Usage: tarvola-sim [options]\n"
           "Serves a virtual gas-injection controller on a pseudo-terminal. The first line of\n"
           "standard output is the terminal's path; SIGTERM or SIGINT ends the program.\n"
           "\n"
           "  --variant 0x21        act as the variant controller (device ID 0x21)\n"
           "  --injectors N         number of injectors, 1..8 (default 4)\n"
           "  --firmware-version V  firmware version, decimal or 0x hex (default 0x0206)\n"
           "  --no-diag             the link check does not allow live diagnostics\n"
           "  --no-firmware-update  report firmware updates disabled (identity flag bit 2\n"
           "                        clear) and refuse to enter programming\n"
           "  --fault KIND          silent|corrupt|badstart|truncate|late|noise\n"
           "  --fault-rate P        fault each request with probability P (0..1)\n"
           "  --fault-after N       fault every request after the first N good ones\n"
           "  --seed S              seed of the engine model and of the faults (default 1)\n"
           "  --pace                keep to the timing of a 38400-baud line\n"
           "  --start MODE          petrol|gas|auto at power-on (default petrol)\n"
           "  --warm                start with a warm engine (reducer 70 C, gas 40 C)\n"
           "  --cold                start cold at 15 C; the reducer warms as\n"
           "                        70 - 55 x exp(-t / 600 s) of engine time, so it stays\n"
           "                        below 50 C for the first 10 minutes (36.6 C after 5);\n"
           "                        without --cold or --warm it starts at 20 C and reaches\n"
           "                        50 C after about 55 s\n"
           "  --stall-after N       the engine stops (petrol times 0, 0 rpm) once N live-sample\n"
           "                        polls have been answered; 0 starts it stopped\n"
           "  --time-scale K        the engine's clock runs K times as fast as real time,\n"
           "                        1..100 (default 1): switching, trim, warm-up, point maps\n"
           "                        and statistics; the line and the faults keep real time\n"
           "  --gas-flow F          relative flow of the gas injectors, 0.2..5 (default 0.95)\n"
           "  --gas-dead MS         opening dead time of the gas injectors in ms, -5..10\n"
           "                        (default 1.2)\n"
           "  --drive               run a drive cycle through idle and load points\n"
           "  --errors B0,B1,B2,B3  stored error flags at power-on: memory, injectors, sensors,\n"
           "                        CAN; each byte decimal or 0x hex (default 0,0,0,0); the\n"
           "                        clear-errors request (sub-code 10) resets them to 0\n"
           "  --obd BUS             the car behind the OBD gateway speaks can11 (11-bit CAN,\n"
           "                        default), can29 (29-bit CAN) or kline (ISO 9141/KWP2000);\n"
           "                        the OBD connection record's base identifier follows it\n"
           "  --dtc CODES           the car's stored trouble codes, e.g. P0171,P0301 (at most\n"
           "                        32; 'none' for none; default P0171,P0301,P0302); service 4\n"
           "                        clears them\n"
           "  --link PATH           also make PATH a symbolic link to the terminal\n"
           "  --help                show this text\n"
           "  --version             print the program version\n"
           "\n"
           "A fault with neither --fault-rate nor --fault-after spoils every reply.\n"
           "\n"
           "Calibration response: the engine needs N = 0.8 + 0.063 x kPa ms of petrol per\n"
           "cylinder (3.0 ms at idle). On gas the controller injects\n"
           "g = tp x line x cell + c (tp the petrol time the car asks for, line and cell the\n"
           "multiplier line and fuel-map factors, c the main correction), the gas injector\n"
           "delivers (g - dead) x flow, and the car's closed loop trims tp until that is N.\n"
           "With a flat line and map the petrol time on gas minus the one on petrol is\n"
           "d = N x (1/flow - 1) + dead - c, so adding d to c lands on\n"
           "dead + N x (1/flow - 1): 1.36 ms with the default injectors (d = +0.36 ms from\n"
           "the factory 1.00 ms). The car's trim stays within +-30 %, so one measured d is\n"
           "at most +-30 % of N (about +-0.9 ms at idle). A live-sample poll is control\n"
           "request 6 (36 on the variant).\n";
}

bool parseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error) {
    out = CommandLine{};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& v) {
            if (i + 1 >= args.size()) {
                error = "option " + a + " needs a value";
                return false;
            }
            v = args[++i];
            return true;
        };
        std::string v;
        std::uint64_t u = 0;
        if (a == "--help" || a == "-h") {
            out.help = true;
        } else if (a == "--version") {
            out.version = true;
        } else if (a == "--no-diag") {
            out.sim.noDiag = true;
        } else if (a == "--no-firmware-update") {
            out.sim.noFirmwareUpdate = true;
        } else if (a == "--pace") {
            out.sim.pace = true;
        } else if (a == "--warm") {
            out.sim.warm = true;
        } else if (a == "--drive") {
            out.sim.driveCycle = true;
        } else if (a == "--cold") {
            out.sim.cold = true;
        } else if (a == "--stall-after") {
            if (!value(v)) return false;
            if (!parseUnsigned(v, u) || u > static_cast<std::uint64_t>(std::numeric_limits<long>::max())) {
                error = "--stall-after needs a whole number of polls (0 or more), not '" + v + "'";
                return false;
            }
            out.sim.stallAfter = static_cast<long>(u);
        } else if (a == "--time-scale") {
            if (!value(v) || !parseRange(a, v, kMinTimeScale, kMaxTimeScale, "a factor from 1 to 100", out.sim.timeScale, error))
                return false;
        } else if (a == "--gas-flow") {
            if (!value(v) || !parseRange(a, v, kMinGasFlow, kMaxGasFlow, "a relative flow from 0.2 to 5", out.sim.gasFlow, error))
                return false;
        } else if (a == "--gas-dead") {
            if (!value(v) ||
                !parseRange(a, v, kMinGasDeadMs, kMaxGasDeadMs, "a dead time from -5 to 10 ms", out.sim.gasDeadMs, error))
                return false;
        } else if (a == "--variant") {
            if (!value(v)) return false;
            if (!parseUnsigned(v, u) || u > 0xFF) {
                error = "--variant needs a byte value such as 0x21, not '" + v + "'";
                return false;
            }
            out.sim.variant = static_cast<std::uint8_t>(u);
        } else if (a == "--injectors") {
            if (!value(v)) return false;
            if (!parseUnsigned(v, u) || u < 1 || u > 8) {
                error = "--injectors needs a number from 1 to 8, not '" + v + "'";
                return false;
            }
            out.sim.injectors = static_cast<int>(u);
        } else if (a == "--firmware-version") {
            if (!value(v)) return false;
            if (!parseUnsigned(v, u) || u > 0xFFFF) {
                error = "--firmware-version needs a 16-bit number, not '" + v + "'";
                return false;
            }
            out.sim.version = static_cast<std::uint16_t>(u);
        } else if (a == "--fault") {
            if (!value(v)) return false;
            if (!parseFault(v, out.sim.fault)) {
                error = "unknown fault '" + v + "'";
                return false;
            }
        } else if (a == "--fault-rate") {
            if (!value(v)) return false;
            if (!parseDouble(v, out.sim.faultRate) || !(out.sim.faultRate >= 0.0 && out.sim.faultRate <= 1.0)) {
                error = "--fault-rate needs a probability from 0 to 1, not '" + v + "'";
                return false;
            }
        } else if (a == "--fault-after") {
            if (!value(v)) return false;
            if (!parseUnsigned(v, u) || u > static_cast<std::uint64_t>(std::numeric_limits<long>::max())) {
                error = "--fault-after needs a whole number, not '" + v + "'";
                return false;
            }
            out.sim.faultAfter = static_cast<long>(u);
        } else if (a == "--seed") {
            if (!value(v)) return false;
            if (!parseUnsigned(v, u)) {
                error = "--seed needs a whole number, not '" + v + "'";
                return false;
            }
            out.sim.seed = u;
        } else if (a == "--start") {
            if (!value(v)) return false;
            if (v == "petrol")
                out.sim.start = EngineStart::Petrol;
            else if (v == "gas")
                out.sim.start = EngineStart::Gas;
            else if (v == "auto")
                out.sim.start = EngineStart::Auto;
            else {
                error = "--start needs petrol, gas or auto, not '" + v + "'";
                return false;
            }
        } else if (a == "--errors") {
            if (!value(v)) return false;
            if (!parseErrorFlags(v, out.sim.errorFlags)) {
                error = "--errors needs four byte values such as 0,0x80,0,1, not '" + v + "'";
                return false;
            }
        } else if (a == "--obd") {
            if (!value(v)) return false;
            if (!parseObdBus(v, out.sim.obdBus)) {
                error = "--obd needs can11, can29 or kline, not '" + v + "'";
                return false;
            }
        } else if (a == "--dtc") {
            if (!value(v)) return false;
            std::vector<std::uint16_t> codes;
            if (!parseTroubleCodes(v, codes, error)) return false;
            out.sim.troubleCodes = std::move(codes);
        } else if (a == "--link") {
            if (!value(v)) return false;
            if (v.empty()) {
                error = "--link needs a path";
                return false;
            }
            out.linkPath = v;
        } else {
            error = "unknown option '" + a + "'";
            return false;
        }
    }
    if (out.sim.cold && out.sim.warm) {
        error = "--cold and --warm contradict each other; give one of them";
        return false;
    }
    return true;
}

}  // namespace tarvola::sim
