// tarvola-cli service and injector-size: the service counters and the nozzle calculator.

#include <charconv>
#include <ostream>

#include "CliCommands.h"
#include "Json.h"
#include "settings/InjectorSize.h"
#include "settings/ServiceInfo.h"

namespace tarvola::cli {

namespace {
template <class T>
bool parseWhole(const std::string& text, T& value)
{
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size();
}
} // namespace

int commandService(CliContext& c)
{
    const auto& args = c.options.arguments;
    std::optional<std::uint32_t> nextKm;
    if (args.size() == 2 && args[0] == "--next-km") {
        std::uint32_t km = 0;
        if (!parseWhole(args[1], km) || km > 50000) {
            c.err << "tarvola-cli: --next-km needs a distance from 0 (off) to 50000 km\n";
            return ExitUsage;
        }
        nextKm = km;
    } else if (!args.empty()) {
        c.err << "tarvola-cli: service takes only --next-km N\n";
        return ExitUsage;
    }
    if (const int rc = connectDevice(c); rc != ExitOk)
        return rc;
    const bool statisticsRead = c.device.readStatistics();
    if (nextKm) {
        for (const auto& unread : c.device.unreadBlocks())
            if (unread == "advancedSetup") {
                c.err << "tarvola-cli: the controller did not send its advanced setup; not writing it\n";
                return ExitRefused;
            }
        setNextService(c.device.m_settings, *nextKm);
        if (!c.device.writeSettings(SettingsBlock::AdvancedSetup)) {
            c.err << "tarvola-cli: the controller did not take the next service\n";
            return ExitRefused;
        }
    }
    const auto info = vehicleServiceInfo(c.device.m_settings, statisticsRead);
    const auto remaining = info.remainingHours;
    if (c.options.json) {
        JsonObject j;
        j.add("petrolTime", info.petrolTime ? info.petrolTime->text() : std::string())
            .add("gasTime", info.gasTime ? info.gasTime->text() : std::string())
            .add("controllerPcCode", info.stampText)
            .add("thisPcCode", info.thisPcDisplayText())
            .addBool("writtenByThisPc", info.writtenByThisPc());
        if (remaining)
            j.add("remainingServiceHours", static_cast<std::int64_t>(*remaining));
        c.out << j.str() << '\n';
    } else {
        c.out << "Time on petrol (h : min : s): " << (info.petrolTime ? info.petrolTime->text() : "-") << '\n'
              << "Time on gas (h : min : s):    " << (info.gasTime ? info.gasTime->text() : "-") << '\n'
              << "Last written by PC:           " << info.stampText << '\n'
              << "This PC:                      " << info.thisPcDisplayText() << '\n'
              << "Next service:                 "
              << (remaining ? "in " + std::to_string(*remaining) + " h on gas" : std::string("reminder off")) << '\n';
    }
    return statisticsRead ? ExitOk : ExitRefused;
}

int commandInjectorSize(CliContext& c)
{
    const auto& args = c.options.arguments;
    double hp = -1;
    int cylinders = 0;
    std::optional<InjectionType> type;
    for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
        const std::string& name = args[i];
        const std::string& value = args[i + 1];
        if (name == "--hp") {
            const auto r = std::from_chars(value.data(), value.data() + value.size(), hp);
            if (r.ec != std::errc() || r.ptr != value.data() + value.size())
                hp = -1;
        } else if (name == "--cylinders") {
            if (!parseWhole(value, cylinders))
                cylinders = 0;
        } else if (name == "--type") {
            type = parseInjectionType(value);
        } else {
            c.err << "tarvola-cli: injector-size takes --hp P --cylinders C --type seq|semi|full\n";
            return ExitUsage;
        }
    }
    if (args.size() % 2 != 0 || !type) {
        c.err << "tarvola-cli: injector-size takes --hp P --cylinders C --type seq|semi|full\n";
        return ExitUsage;
    }
    const auto result = calculateInjectorSize(hp, cylinders, *type);
    if (!result.ok()) {
        c.err << "tarvola-cli: "
              << (result.error == InjectorSizeError::BadCylinders ? "the cylinder count is out of range"
                  : result.error == InjectorSizeError::BadPower    ? "the power is out of range"
                                                                   : "unknown injection type")
              << '\n';
        return ExitUsage;
    }
    if (c.options.json) {
        JsonObject j;
        j.add("hpPerCylinder", static_cast<std::int64_t>(result.powerPerCylinder))
            .add("nozzleMm", result.diameterMm());
        c.out << j.str() << '\n';
    } else {
        c.out << "Nozzle: " << result.text() << " mm (" << result.powerPerCylinder << " HP per cylinder)\n";
    }
    return ExitOk;
}

} // namespace tarvola::cli
