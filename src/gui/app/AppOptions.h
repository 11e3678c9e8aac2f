#pragma once
// The desktop application's command line:
//   tarvola [--port PATH] [--simulate [virtual-controller options]] [--demo] [--lang ID] [FILE.osc]
// plus, for scripts and measurements, --screenshots DIR (write a picture of every page, then quit),
// --quit-after MS, --report (print start-up time, CPU and memory on exit) and --page NAME (the page
// shown at start).

#include <optional>
#include <string>
#include <vector>

namespace tarvola::gui {

struct AppOptions {
    std::string port;
    bool simulate = false;
    std::vector<std::string> simArgs;   // handed to the virtual controller
    bool demo = false;
    std::optional<int> language;
    std::string screenshotDir;
    int quitAfterMs = 0;
    bool report = false;
    int page = -1;                      // --page: the property sheet's page shown at start
    bool help = false;
    bool version = false;               // --version: print the program version and stop
    std::string recording;              // FILE.osc: opened in a recording viewer at start
};

// Parses the arguments after the program name. Returns false with `error` set for an unknown option,
// a missing value or a language id outside 0..12. After --simulate every argument that is not one of
// the application's own options goes to the virtual controller, except a file name ending in ".osc".
// One argument that is no option (FILE.osc) names a recording to show; a second one is an error.
bool parseAppOptions(const std::vector<std::string>& args, AppOptions& out, std::string& error);
const char* appUsage();
// The pages of the property sheet by their English names, in sheet order; the screenshot command
// names its pictures after them.
const std::vector<std::string>& pageNames();

} // namespace tarvola::gui
