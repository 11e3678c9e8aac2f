#pragma once
// The commands of tarvola-cli. Each gets the parsed options and a device, prints its result and
// returns the tool's exit code; none talks to the terminal other than through `out` and `err`.

#include <iosfwd>
#include <string>

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

// A firmware version as the tool prints it: "0x0206".
std::string hexVersion(unsigned version);

// Opens the link as the options say: demo mode, exactly the given port, or the search.
int connectDevice(CliContext& c);

int commandInfo(CliContext& c);
int commandSwitch(CliContext& c);
int commandErrors(CliContext& c);
int commandDump(CliContext& c);
int commandSet(CliContext& c);
int commandMonitor(CliContext& c);
int commandSave(CliContext& c);
int commandLoad(CliContext& c);
int commandFactoryReset(CliContext& c);
int commandDiff(CliContext& c);
int commandService(CliContext& c);
int commandInjectorSize(CliContext& c);
int commandObd(CliContext& c);
int commandFlash(CliContext& c);
int commandCalibrate(CliContext& c);
int commandMultiplier(CliContext& c);

} // namespace tarvola::cli
