// tarvola-cli info: connect and print the controller's identity.

#include <cstdio>
#include <ostream>

#include "CliCommands.h"
#include "Json.h"
#include "link/PortAccess.h"
#include "platform/NumberText.h"

namespace tarvola::cli {

namespace {
// The counters run in half seconds; a fitter reads hours and minutes.
std::string hoursText(std::uint32_t halfSeconds)
{
    const std::uint32_t minutes = halfSeconds / 120;
    char text[32];
    std::snprintf(text, sizeof text, "%u h %02u min", minutes / 60, minutes % 60);
    return text;
}
} // namespace

// Opens the link as the options say: demo, exactly one port, or the search.
int connectDevice(CliContext& c)
{
    const CliOptions& o = c.options;
    CLPGDevice& device = c.device;
    std::ostream& err = c.err;
    if (o.demo) {
        device.startDemo();
        return ExitOk;
    }
    if (o.port) {
        if (!device.openPort(*o.port)) {
            if (isPermissionError(device.port().lastOpenError()))
                err << "tarvola-cli: " << portPermissionMessage(*o.port) << '\n';
            else
                err << "tarvola-cli: no controller answers on " << *o.port << '\n';
            return ExitNoController;
        }
        device.setConnected(true);
        return ExitOk;
    }
    if (!device.connect()) {
        err << "tarvola-cli: no controller found\n";
        return ExitNoController;
    }
    return ExitOk;
}

int commandInfo(CliContext& c)
{
    const CliOptions& o = c.options;
    CLPGDevice& device = c.device;
    std::ostream& out = c.out;
    std::ostream& err = c.err;
    if (const int rc = connectDevice(c); rc != ExitOk)
        return rc;
    // Connecting read the identity already; demo mode fills the demo identity here.
    if (device.isDemo())
        device.readIdentity();
    if (!device.identityKnown()) {
        err << "tarvola-cli: the controller did not send its identity\n";
        return ExitRefused;
    }
    const bool haveStatistics = device.readStatistics();
    const CDevInfo& info = device.m_settings.m_devInfo;
    const std::string port = device.isDemo() ? std::string("demo") : device.port().portName();
    const std::string serial = info.m_serial;
    if (o.json) {
        JsonObject j;
        j.add("port", port)
            .add("m_devInfo.m_name", info.m_name)
            .add("m_devInfo.m_version", std::int64_t{info.m_version})
            .add("m_devInfo.m_injCount", std::int64_t{info.m_injCount})
            .add("m_devInfo.m_serial", serial)
            .add("m_devInfo.m_prodDate", info.m_prodDate)
            .add("m_devInfo.m_flags1", std::int64_t{info.m_flags1})
            .add("m_devInfo.m_flags2", std::int64_t{info.m_flags2})
            .add("m_devInfo.m_deviceID", std::int64_t{info.m_deviceID});
        if (haveStatistics)
            j.add("m_devInfo.m_statistic.gas", std::int64_t{info.m_statistic.gas})
                .add("m_devInfo.m_statistic.lpg", std::int64_t{info.m_statistic.lpg})
                .add("m_devInfo.m_statistic.modify", std::int64_t{info.m_statistic.modify});
        out << j.str() << '\n';
    } else {
        out << "Port:            " << port << '\n'
            << "Controller:      " << info.m_name << '\n'
            << "Version:         " << info.m_version << " (" << hexWordText(static_cast<unsigned>(info.m_version)) << ")\n"
            << "Injectors:       " << info.m_injCount << '\n'
            << "Serial number:   " << info.m_serial << '\n'
            << "Production date: " << info.m_prodDate << '\n'
            << "Flags:           " << info.m_flags1 << ", " << info.m_flags2 << '\n'
            << "Variant:         " << static_cast<unsigned>(info.m_deviceID) << '\n';
        if (haveStatistics)
            out << "Time on petrol:  " << hoursText(info.m_statistic.gas) << '\n'
                << "Time on gas:     " << hoursText(info.m_statistic.lpg) << '\n'
                << "Modifications:   " << info.m_statistic.modify << '\n';
        out << "Live diagnostics " << (device.diagnosticsAllowed() ? "allowed" : "not allowed") << '\n';
    }
    return haveStatistics ? ExitOk : ExitRefused;
}

} // namespace tarvola::cli
