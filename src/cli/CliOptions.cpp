#include "CliOptions.h"

#include <charconv>

namespace tarvola::cli {

const char* cliUsage()
{
    return "Usage: tarvola-cli [options] COMMAND\n"
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
           "Commands:\n"
           "  ports          list the serial ports of this system\n"
           "  info           connect and print the controller's identity\n"
           "  switch petrol|gas|auto\n"
           "                 change the controller's work mode\n"
           "  dump           read the whole configuration and print every field\n"
           "  set KEY VALUE  change one setting by its settings-file key and write it\n"
           "                 (e.g. set m_base.m_switchRPM 1500)\n"
           "  monitor [--count N] [--record FILE.osc]\n"
           "                 show live samples (and record them) until N were shown or Ctrl+C\n"
           "  save FILE.xset read the controller's settings and write them to a settings file\n"
           "  load FILE.xset write a settings file into the controller (asks; --yes confirms;\n"
           "                 the controller's settings are backed up first)\n"
           "  factory-reset  write the factory settings into the controller (as load)\n"
           "  diff A.xset [B.xset]\n"
           "                 every key that differs between two files, or a file and the controller\n"
           "  service [--next-km N]\n"
           "                 running times, PC codes and the next service (set it N km ahead)\n"
           "  injector-size --hp P --cylinders C --type seq|semi|full\n"
           "                 the recommended gas injector nozzle\n"
           "  errors [--clear]\n"
           "                 list the controller's stored errors (and clear them first)\n"
           "  obd [--rounds N] [--dtc] [--clear-dtc]\n"
           "                 the car behind the OBD gateway: protocol, OBD standard and live values\n"
           "                 after N exchanges (default 3); --dtc lists its trouble codes,\n"
           "                 --clear-dtc erases them (asks; --yes confirms)\n"
           "  flash IMAGE.img\n"
           "                 write a firmware image into the controller (asks; --yes confirms and\n"
           "                 also allows an older image; the settings are backed up first)\n"
           "  calibrate      run the autocalibration at idle on a warm engine: the main correction\n"
           "                 from petrol against gas, the pressure references from the measured gas\n"
           "                 pressure (--yes/--no answer its questions; Ctrl+C stops it safely)\n"
           "  multiplier [--write]\n"
           "                 read the petrol and gas point maps, print their fill levels and the\n"
           "                 multiplier line they call for; --write writes that line\n"
           "\n"
           "Exit codes: 0 success, 1 the controller refused or did not answer, 2 usage error,\n"
           "3 no controller found.\n";
}

std::optional<CliOptions> parseCliOptions(const std::vector<std::string>& args, std::string& error)
{
    CliOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto needValue = [&](const char* name) -> std::optional<std::string> {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = std::string("option ") + name + " needs a value";
                return std::nullopt;
            }
            return args[++i];
        };
        const bool global = a == "--port" || a == "--trace" || a == "--lang" || a == "--demo" || a == "--json" || a == "--yes" ||
                            a == "--no" || a == "--help" || a == "-h";
        // Global options may stand anywhere; everything else after the command is the command's.
        if (!o.command.empty() && !global) {
            o.arguments.push_back(a);
        } else if (a == "--port") {
            if (!(o.port = needValue("--port")))
                return std::nullopt;
        } else if (a == "--trace") {
            if (!(o.traceFile = needValue("--trace")))
                return std::nullopt;
        } else if (a == "--lang") {
            const auto v = needValue("--lang");
            if (!v)
                return std::nullopt;
            int id = -1;
            const auto r = std::from_chars(v->data(), v->data() + v->size(), id);
            if (r.ec != std::errc() || r.ptr != v->data() + v->size() || id < 0 || id > 12) {
                error = "--lang needs a language number from 0 to 12";
                return std::nullopt;
            }
            o.language = id;
        } else if (a == "--demo") {
            o.demo = true;
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--yes" || a == "--no") {
            if (o.answer && *o.answer != (a == "--yes")) {
                error = "--yes and --no exclude each other";
                return std::nullopt;
            }
            o.answer = a == "--yes";
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (!a.empty() && a[0] == '-') {
            error = "unknown option " + a;
            return std::nullopt;
        } else {
            o.command = a;
        }
    }
    if (o.help) {
        o.command = "help";
        return o;
    }
    if (o.command.empty()) {
        error = "no command given";
        return std::nullopt;
    }
    if (o.demo && o.port) {
        error = "--demo and --port exclude each other";
        return std::nullopt;
    }
    return o;
}

} // namespace tarvola::cli
