// tarvola-cli errors [--clear]: the controller's stored faults, and clearing them.

#include <cstdio>
#include <ostream>

#include "CliCommands.h"
#include "Json.h"
#include "lang/translate.h"
#include "service/DeviceErrorsCommands.h"

namespace tarvola::cli {

int commandErrors(CliContext& c)
{
    const auto& args = c.options.arguments;
    const bool clear = args.size() == 1 && args[0] == "--clear";
    if (!args.empty() && !clear) {
        c.err << "tarvola-cli: errors takes only --clear\n";
        return ExitUsage;
    }
    if (const int rc = connectDevice(c); rc != ExitOk)
        return rc;

    if (clear) {
        const auto result = clearDeviceErrors(c.device);
        if (!result.cleared) {
            c.err << "tarvola-cli: " << translate(result.failureText) << '\n';
            return ExitRefused;
        }
    }
    const auto report = readDeviceErrors(c.device);
    if (!report.read) {
        c.err << "tarvola-cli: " << translate(report.failureText) << '\n';
        return ExitRefused;
    }
    char flags[32];
    std::snprintf(flags, sizeof flags, "%02X %02X %02X %02X", report.flags[0], report.flags[1], report.flags[2],
                  report.flags[3]);
    if (c.options.json) {
        std::string list = "[";
        for (std::size_t i = 0; i < report.errors.size(); ++i) {
            const auto& e = report.errors[i];
            JsonObject o;
            o.add("byte", static_cast<std::int64_t>(e.error.byteIndex))
                .add("bit", static_cast<std::int64_t>(e.error.bit))
                .add("category", e.category)
                .add("text", e.text);
            list += (i ? ", " : "") + o.str();
        }
        list += "]";
        c.out << "{\"flags\": " << jsonEscape(flags) << ", \"cleared\": " << (clear ? "true" : "false")
              << ", \"errors\": " << list << "}\n";
    } else {
        if (clear)
            c.out << "Stored errors cleared.\n";
        c.out << "Error flags: " << flags << '\n';
        if (report.errors.empty())
            c.out << "No stored errors.\n";
        for (const auto& e : report.errors)
            c.out << e.category << ": " << e.text << '\n';
    }
    return ExitOk;
}

} // namespace tarvola::cli
