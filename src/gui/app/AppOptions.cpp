#include "app/AppOptions.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace tarvola::gui {

namespace {
bool toInt(const std::string& text, int& out)
{
    const char* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && p == end;
}

bool isRecordingName(const std::string& arg)
{
    if (arg.size() < 5 || arg[0] == '-')
        return false;
    std::string suffix = arg.substr(arg.size() - 4);
    std::transform(suffix.begin(), suffix.end(), suffix.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return suffix == ".osc";
}
} // namespace

const char* appUsage()
{
    return "Usage: tarvola [--port PATH] [--simulate [virtual-controller options]] [--demo] [--lang ID] [FILE.osc]\n"
           "  FILE.osc          open this recording in a recording viewer\n"
           "  --port PATH       connect to the controller on this serial port\n"
           "  --simulate ...    start the virtual controller on a pseudo-terminal and connect to it;\n"
           "                    options that follow go to it (see tarvola-sim --help)\n"
           "  --demo            run without a controller, with fixed demo values\n"
           "  --lang ID         interface language 0..12 (0 Polski, 1 English, 2 Russian, 3 Deutsch, ...)\n"
           "  --screenshots DIR write a PNG of the main window with each page open, then quit\n"
           "  --quit-after MS   close the window after MS milliseconds\n"
           "  --report          on exit, print the time to the first live value, CPU time and peak memory\n"
           "  --page NAME       open this page at start: petrol, gas, switch, advanced, calibration, map,\n"
           "                    oscilloscope, obd\n"
           "  --help            show this text\n"
           "  --version         print the program version\n";
}

const std::vector<std::string>& pageNames()
{
    static const std::vector<std::string> names = {"petrol", "gas", "switch", "advanced",
                                                   "calibration", "map", "oscilloscope", "obd"};
    return names;
}

bool parseAppOptions(const std::vector<std::string>& args, AppOptions& out, std::string& error)
{
    auto value = [&](std::size_t& i, const std::string& name, std::string& into) {
        if (i + 1 >= args.size()) {
            error = name + " needs a value";
            return false;
        }
        into = args[++i];
        return true;
    };
    bool inSim = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string v;
        if (a == "--port") {
            if (!value(i, a, out.port))
                return false;
            inSim = false;
        } else if (a == "--simulate") {
            out.simulate = true;
            inSim = true;
        } else if (a == "--demo") {
            out.demo = true;
            inSim = false;
        } else if (a == "--lang") {
            int id = -1;
            if (!value(i, a, v))
                return false;
            if (!toInt(v, id) || id < 0 || id > 12) {
                error = "--lang takes a language id from 0 to 12, not '" + v + "'";
                return false;
            }
            out.language = id;
            inSim = false;
        } else if (a == "--screenshots") {
            if (!value(i, a, out.screenshotDir))
                return false;
            inSim = false;
        } else if (a == "--quit-after") {
            if (!value(i, a, v))
                return false;
            if (!toInt(v, out.quitAfterMs) || out.quitAfterMs < 0) {
                error = "--quit-after takes milliseconds, not '" + v + "'";
                return false;
            }
            inSim = false;
        } else if (a == "--page") {
            if (!value(i, a, v))
                return false;
            const auto& names = pageNames();
            const auto it = std::find(names.begin(), names.end(), v);
            if (it == names.end()) {
                error = "--page takes a page name (petrol, gas, switch, advanced, calibration, map, oscilloscope, obd), not '" +
                        v + "'";
                return false;
            }
            out.page = static_cast<int>(it - names.begin());
            inSim = false;
        } else if (a == "--report") {
            out.report = true;
            inSim = false;
        } else if (a == "--help" || a == "-h") {
            out.help = true;
        } else if (a == "--version") {
            out.version = true;
        } else if (isRecordingName(a) || (!inSim && !a.empty() && a[0] != '-')) {
            if (!out.recording.empty()) {
                error = "only one recording can be opened at start, not also '" + a + "'";
                return false;
            }
            out.recording = a;
        } else if (inSim) {
            out.simArgs.push_back(a);
        } else {
            error = "unknown option '" + a + "'";
            return false;
        }
    }
    if (out.demo && (out.simulate || !out.port.empty())) {
        error = "--demo runs without a controller; leave out --port and --simulate";
        return false;
    }
    if (out.simulate && !out.port.empty()) {
        error = "--simulate chooses the port itself; leave out --port";
        return false;
    }
    return true;
}

} // namespace tarvola::gui
