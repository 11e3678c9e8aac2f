// The table of tarvola-cli's commands, the help text made from it, and the two commands that need
// no controller at all: help and ports.

#include "CliCommands.h"

#include <array>
#include <ostream>

#include "Json.h"
#include "link/PortList.h"

namespace tarvola::cli {

// Each command's own file defines its function.
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
int commandMap(CliContext& c);
int commandRecording(CliContext& c);

namespace {

int commandHelp(CliContext& c)
{
    c.out << cliUsage();
    return ExitOk;
}

int commandPorts(CliContext& c)
{
    const auto ports = listSerialPorts();
    if (c.options.json) {
        std::vector<std::string> names;
        for (const auto& p : ports)
            names.push_back(jsonEscape(p));
        c.out << jsonArray(names) << '\n';
    } else {
        for (const auto& p : ports)
            c.out << p << '\n';
    }
    return ExitOk;
}

constexpr std::array kCommands{
    CliCommand{"help", "help", "show this text", commandHelp},
    CliCommand{"ports", "ports", "list the serial ports of this system", commandPorts},
    CliCommand{"info", "info", "connect and print the controller's identity", commandInfo},
    CliCommand{"switch", "switch petrol|gas|auto", "change the controller's work mode", commandSwitch},
    CliCommand{"dump", "dump", "read the whole configuration and print every field", commandDump},
    CliCommand{"set", "set KEY VALUE",
               "change one setting by its settings-file key and write it\n(e.g. set m_base.m_switchRPM 1500)",
               commandSet},
    CliCommand{"monitor", "monitor [--count N] [--record FILE.osc]",
               "show live samples (and record them) until N were shown or Ctrl+C", commandMonitor},
    CliCommand{"recording", "recording FILE.osc [--csv [OUT]]",
               "summarize a recording (no controller needed): records, duration and\n"
               "minimum/mean/maximum of each channel; --csv writes it as CSV to OUT\n"
               "(standard output without OUT)",
               commandRecording},
    CliCommand{"save", "save FILE.xset", "read the controller's settings and write them to a settings file",
               commandSave},
    CliCommand{"load", "load FILE.xset",
               "write a settings file into the controller (asks; --yes confirms;\nthe controller's settings are "
               "backed up first)",
               commandLoad},
    CliCommand{"factory-reset", "factory-reset", "write the factory settings into the controller (as load)",
               commandFactoryReset},
    CliCommand{"diff", "diff A.xset [B.xset]",
               "every key that differs between two files, or a file and the controller", commandDiff},
    CliCommand{"service", "service [--next-km N]",
               "running times, PC codes and the next service (set it N km ahead)", commandService},
    CliCommand{"injector-size", "injector-size --hp P --cylinders C --type seq|semi|full",
               "the recommended gas injector nozzle", commandInjectorSize},
    CliCommand{"errors", "errors [--clear]", "list the controller's stored errors (and clear them first)",
               commandErrors},
    CliCommand{"obd", "obd [--rounds N] [--dtc] [--clear-dtc]",
               "the car behind the OBD gateway: protocol, OBD standard and live values\nafter N exchanges "
               "(default 3); --dtc lists its trouble codes,\n--clear-dtc erases them (asks; --yes confirms)",
               commandObd},
    CliCommand{"flash", "flash IMAGE.img",
               "write a firmware image into the controller (asks; --yes confirms and\nalso allows an older "
               "image; the settings are backed up first; refused when\nthe controller does not allow firmware "
               "updates)",
               commandFlash},
    CliCommand{"calibrate", "calibrate",
               "run the autocalibration at idle on a warm engine: the main correction\nfrom petrol against gas, "
               "the pressure references from the measured gas\npressure (--yes/--no answer its questions; "
               "Ctrl+C stops it safely)",
               commandCalibrate},
    CliCommand{"multiplier", "multiplier [--write]",
               "read the petrol and gas point maps, print their fill levels and the\nmultiplier line they call "
               "for; --write writes that line",
               commandMultiplier},
    CliCommand{"map", "map [add|sub|set VALUE|clear --rows R1..R2 --rpm N1..N2 | erase petrol|gas]",
               "print the correction map, rows by injection-time key 2..20 and columns\n"
               "by engine-speed key 1000..8000 (as m_injMapTable[ROW][RPM] in settings\n"
               "files); or change that rectangle of it (R or N alone for one) and store\n"
               "it: add or sub VALUE (a whole 0..50; above 50 is refused, not lowered),\n"
               "set VALUE (-50..50) or clear (to 0); erase petrol|gas erases a point\n"
               "map the controller has collected (needs --yes; --no declines, exit 1)",
               commandMap},
};

// The help's second column: a usage line that reaches it puts its summary on the next line.
constexpr std::size_t kSummaryColumn = 17;

} // namespace

std::span<const CliCommand> cliCommands()
{
    return kCommands;
}

const CliCommand* findCliCommand(std::string_view name)
{
    for (const CliCommand& command : kCommands)
        if (command.name == name)
            return &command;
    return nullptr;
}

std::string cliUsage()
{
    std::string text = "Usage: tarvola-cli [options] COMMAND\n"
                       "\n"
                       "Options:\n"
                       "  --port PATH    use exactly this serial port (no search)\n"
                       "  --demo         run in demo mode, without a controller\n"
                       "  --json         print results as JSON\n"
                       "  --trace FILE   write every frame sent and received to FILE\n"
                       "  --yes, --no    answer the tool's questions\n"
                       "  --lang ID      language of the controller's messages: 0 Polski, 1 English, 2 Russian,\n"
                       "                 3 Deutsch, 4 Turkish, 5 Czech, 6 Croatian, 7 Slovenian, 8 Lithuanian,\n"
                       "                 9 Italian, 10 Spanish, 11 Portuguese, 12 Thai (default: from the locale)\n"
                       "  --help         show this text\n"
                       "\n"
                       "Commands:\n";
    const std::string indent(kSummaryColumn, ' ');
    for (const CliCommand& command : kCommands) {
        std::string line = "  " + std::string(command.usage);
        line += line.size() < kSummaryColumn ? std::string(kSummaryColumn - line.size(), ' ') : "\n" + indent;
        for (const char ch : command.summary)
            line += ch == '\n' ? "\n" + indent : std::string(1, ch);
        text += line + '\n';
    }
    return text + "\n"
                  "Exit codes: 0 success, 1 the controller refused or did not answer, 2 usage error,\n"
                  "3 no controller found.\n";
}

} // namespace tarvola::cli
