#include "CliApp.h"

#include <ostream>

#include "CliCommands.h"
#include "CliOptions.h"
#include "CliPrompt.h"
#include "TraceFile.h"
#include "device/CLPGDevice.h"
#include "errors/IError.h"
#include "lang/Language.h"
#include "lang/LanguageServices.h"
#include "platform/Version.h"

namespace tarvola::cli {

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string error;
    const auto options = parseCliOptions(args, error);
    if (options && options->version) {
        out << "tarvola-cli " << programVersion() << '\n';
        return ExitOk;
    }
    const CliCommand* command = options ? findCliCommand(options->command) : nullptr;
    if (options && !command)
        error = "unknown command " + options->command;
    if (!command) {
        err << "tarvola-cli: " << error << "\n\n" << cliUsage();
        return ExitUsage;
    }
    const CliOptions& o = *options;

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
        return command->run(context);
    } catch (const IError& e) {
        err << "tarvola-cli: " << errorBoxText(std::string(command->name), e) << '\n';
        return ExitRefused;
    }
}

} // namespace tarvola::cli
