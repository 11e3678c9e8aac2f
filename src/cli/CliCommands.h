#pragma once
// The commands of tarvola-cli. Each gets the parsed options and a device, prints its result and
// returns the tool's exit code; none talks to the terminal other than through `out` and `err`.
// cliCommands() is the one list of them: the help text and the dispatch are made from it.

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "CliOptions.h"
#include "CliPrompt.h"
#include "device/CLPGDevice.h"

namespace tarvola::cli {

struct CliContext {
    const CliOptions& options;
    CLPGDevice& device;
    std::ostream& out;
    std::ostream& err;
    CliPrompt& prompt;  // the device's prompt
};

struct CliCommand {
    std::string_view name;
    std::string_view usage;    // its help line: the name and its arguments
    std::string_view summary;  // what it does, in lines of the help text ('\n' between them)
    int (*run)(CliContext&);
};

// Every command, in the order the help lists them.
std::span<const CliCommand> cliCommands();
// The command called `name`, or null when there is none.
const CliCommand* findCliCommand(std::string_view name);
// The help text: the options, every command of cliCommands() and the exit codes.
std::string cliUsage();


// Opens the link as the options say: demo mode, exactly the given port, or the search.
int connectDevice(CliContext& c);

} // namespace tarvola::cli
