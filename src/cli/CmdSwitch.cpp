// tarvola-cli switch petrol|gas|auto: change the controller's work mode.

#include <ostream>

#include "CliCommands.h"

namespace tarvola::cli {

int commandSwitch(CliContext& c)
{
    const auto& args = c.options.arguments;
    if (args.size() != 1 || (args[0] != "petrol" && args[0] != "gas" && args[0] != "auto")) {
        c.err << "tarvola-cli: switch needs one of petrol, gas, auto\n";
        return ExitUsage;
    }
    if (const int rc = connectDevice(c); rc != ExitOk)
        return rc;
    const std::string& mode = args[0];
    const bool ok = mode == "petrol" ? c.device.switchToPetrol()
                    : mode == "gas"  ? c.device.switchToGas()
                                     : c.device.goToAutomatic();
    if (!ok) {
        c.err << "tarvola-cli: the controller did not take the switch to " << mode << '\n';
        return ExitRefused;
    }
    c.out << (c.options.json ? "{\"mode\": \"" + mode + "\", \"ok\": true}" : "Switched to " + mode) << '\n';
    return ExitOk;
}

} // namespace tarvola::cli
