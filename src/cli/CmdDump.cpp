// tarvola-cli dump: connect, read the whole configuration and print every field.

#include <cstdio>
#include <ostream>

#include "CliCommands.h"
#include "Json.h"
#include "maps/MapModel.h"
#include "settings/SettingsKeys.h"

namespace tarvola::cli {

namespace {
bool isMapCellKey(const SettingsKey& key)
{
    return key.target() == KeyTarget::Map && key.name().rfind("m_injMapTable[", 0) == 0;
}

// The map reads best as the grid the fitter knows from the map page.
void printMapGrid(const CDeviceSettings& s, std::ostream& out)
{
    char cell[16];
    std::snprintf(cell, sizeof cell, "%6s", kMapCornerLabel);
    out << "m_injMapTable (%)\n" << cell;
    for (int c = 0; c < kMapColumns; ++c) {
        std::snprintf(cell, sizeof cell, "%6s", mapColumnLabel(c).c_str());
        out << cell;
    }
    out << '\n';
    for (int r = 0; r < kMapRows; ++r) {
        std::snprintf(cell, sizeof cell, "%6s", mapRowLabel(r).c_str());
        out << cell;
        for (int c = 0; c < kMapColumns; ++c) {
            std::snprintf(cell, sizeof cell, "%6.0f", s.m_injMapTable[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
            out << cell;
        }
        out << '\n';
    }
}
} // namespace

int commandDump(CliContext& c)
{
    if (!c.options.arguments.empty()) {
        c.err << "tarvola-cli: dump takes no arguments\n";
        return ExitUsage;
    }
    if (const int rc = connectDevice(c); rc != ExitOk)
        return rc;
    if (c.device.isDemo())
        c.device.readIdentity();
    const bool haveStatistics = c.device.readStatistics();
    const CDeviceSettings& s = c.device.m_settings;

    if (c.options.json) {
        JsonObject j;
        j.add("port", c.device.isDemo() ? std::string("demo") : c.device.port().portName());
        j.add("m_devInfo.m_name", s.m_devInfo.m_name);
        for (const auto& key : settingsKeys()) {
            if (key.kind() == KeyKind::Text)
                j.add(key.name(), key.text(s));
            else
                j.add(key.name(), key.number(s).value_or(0.0));
        }
        c.out << j.str() << '\n';
    } else {
        c.out << "port\t" << (c.device.isDemo() ? std::string("demo") : c.device.port().portName()) << '\n'
              << "m_devInfo.m_name\t" << s.m_devInfo.m_name << '\n';
        for (const auto& key : settingsKeys())
            if (!isMapCellKey(key))
                c.out << key.name() << '\t' << key.text(s) << '\n';
        printMapGrid(s, c.out);
    }

    int rc = ExitOk;
    for (const auto& block : c.device.unreadBlocks()) {
        c.err << "tarvola-cli: the controller did not send its " << block << " block\n";
        rc = ExitRefused;
    }
    if (!haveStatistics) {
        c.err << "tarvola-cli: the controller did not send its statistics\n";
        rc = ExitRefused;
    }
    return rc;
}

} // namespace tarvola::cli
