#include "CliOptions.h"

#include <charconv>

namespace tarvola::cli {

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
                            a == "--no" || a == "--help" || a == "-h" || a == "--version";
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
        } else if (a == "--version") {
            o.version = true;
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
    if (o.version)
        return o;
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
