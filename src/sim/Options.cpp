// Command-line parsing of tarvola-sim. Numbers are read in the "C" locale with from_chars.
#include "Options.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <limits>

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

bool parseDouble(const std::string& text, double& out) {
    const char* last = text.data() + text.size();
    const auto r = std::from_chars(text.data(), last, out);
    return !text.empty() && r.ec == std::errc() && r.ptr == last;
}

}  // namespace

const char* usageText() {
    return "Usage: tarvola-sim [options]\n"
           "Serves a virtual gas-injection controller on a pseudo-terminal. The first line of\n"
           "standard output is the terminal's path; SIGTERM or SIGINT ends the program.\n"
           "\n"
           "  --variant 0x21        act as the variant controller (device ID 0x21)\n"
           "  --injectors N         number of injectors, 1..8 (default 4)\n"
           "  --version V           firmware version, decimal or 0x hex (default 0x0206)\n"
           "  --no-diag             the link check does not allow live diagnostics\n"
           "  --fault KIND          silent|corrupt|badstart|truncate|late|noise\n"
           "  --fault-rate P        fault each request with probability P (0..1)\n"
           "  --fault-after N       fault every request after the first N good ones\n"
           "  --seed S              seed of the engine model and of the faults (default 1)\n"
           "  --pace                keep to the timing of a 38400-baud line\n"
           "  --start MODE          petrol|gas|auto at power-on (default petrol)\n"
           "  --warm                start with a warm engine (reducer 70 C, gas 40 C)\n"
           "  --drive               run a drive cycle through idle and load points\n"
           "  --errors B0,B1,B2,B3  stored error flags at power-on: memory, injectors, sensors,\n"
           "                        CAN; each byte decimal or 0x hex (default 0,0,0,0); the\n"
           "                        clear-errors request (sub-code 10) resets them to 0\n"
           "  --link PATH           also make PATH a symbolic link to the terminal\n"
           "  --help                show this text\n"
           "\n"
           "A fault with neither --fault-rate nor --fault-after spoils every reply.\n";
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
        } else if (a == "--no-diag") {
            out.sim.noDiag = true;
        } else if (a == "--pace") {
            out.sim.pace = true;
        } else if (a == "--warm") {
            out.sim.warm = true;
        } else if (a == "--drive") {
            out.sim.driveCycle = true;
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
        } else if (a == "--version") {
            if (!value(v)) return false;
            if (!parseUnsigned(v, u) || u > 0xFFFF) {
                error = "--version needs a 16-bit number, not '" + v + "'";
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
    return true;
}

}  // namespace tarvola::sim
