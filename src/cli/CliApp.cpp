#include "CliApp.h"

#include <cstdio>
#include <ostream>

#include "CliCommands.h"
#include "CliOptions.h"
#include "CliPrompt.h"
#include "Json.h"
#include "TraceFile.h"
#include "device/CLPGDevice.h"
#include "lang/Language.h"
#include "lang/LanguageServices.h"
#include "link/PortList.h"

namespace tarvola::cli {

namespace {

int commandPorts(const CliOptions& o, std::ostream& out)
{
    const auto ports = listSerialPorts();
    if (o.json) {
        out << "[";
        for (std::size_t i = 0; i < ports.size(); ++i)
            out << (i ? ", " : "") << jsonEscape(ports[i]);
        out << "]\n";
    } else {
        for (const auto& p : ports)
            out << p << '\n';
    }
    return ExitOk;
}

} // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string error;
    const auto options = parseCliOptions(args, error);
    if (!options) {
        err << "tarvola-cli: " << error << "\n\n" << cliUsage();
        return ExitUsage;
    }
    const CliOptions& o = *options;
    if (o.command == "help") {
        out << cliUsage();
        return ExitOk;
    }
    if (o.command == "ports")
        return commandPorts(o, out);
    using Command = int (*)(CliContext&);
    Command command = nullptr;
    if (o.command == "info")
        command = commandInfo;
    else if (o.command == "switch")
        command = commandSwitch;
    else if (o.command == "errors")
        command = commandErrors;
    else if (o.command == "dump")
        command = commandDump;
    else if (o.command == "set")
        command = commandSet;
    else if (o.command == "monitor")
        command = commandMonitor;
    else if (o.command == "save")
        command = commandSave;
    else if (o.command == "load")
        command = commandLoad;
    else if (o.command == "factory-reset")
        command = commandFactoryReset;
    else if (o.command == "diff")
        command = commandDiff;
    else if (o.command == "service")
        command = commandService;
    else if (o.command == "injector-size")
        command = commandInjectorSize;
    else if (o.command == "obd")
        command = commandObd;
    else if (o.command == "flash")
        command = commandFlash;
    else if (o.command == "calibrate")
        command = commandCalibrate;
    else if (o.command == "multiplier")
        command = commandMultiplier;
    if (!command) {
        err << "tarvola-cli: unknown command " << o.command << "\n\n" << cliUsage();
        return ExitUsage;
    }

    // Messages of the controller and the link come in the user's language.
    startLanguages();
    if (o.language)
        setCurrentLanguage(*o.language);

    CliPrompt prompt(err, o.answer);
    CLPGDevice device(prompt);
    TraceFile trace;
    if (o.traceFile) {
        if (!trace.open(*o.traceFile)) {
            err << "tarvola-cli: cannot write the trace file " << *o.traceFile << '\n';
            return ExitUsage;
        }
        device.setFrameObserver(&trace);
    }
    try {
        CliContext context{o, device, out, err, prompt};
        return command(context);
    } catch (const IError& e) {
        err << "tarvola-cli: " << e.function() << '\n' << e.description() << '\n';
        return ExitRefused;
    }
}

} // namespace tarvola::cli
