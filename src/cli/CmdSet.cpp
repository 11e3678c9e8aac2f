// tarvola-cli set KEY VALUE: change one field by its settings-file key and write its block, as the
// settings pages do.

#include <ostream>

#include "CliCommands.h"
#include "Json.h"
#include "maps/MapModel.h"
#include "settings/SettingsKeys.h"

namespace tarvola::cli {

namespace {
// "m_injMapTable[row][rpm]" → the map cell it names (the key table already validated the name).
bool mapCellOf(const std::string& name, int& row, int& column)
{
    int rowKey = 0, rpm = 0;
    if (std::sscanf(name.c_str(), "m_injMapTable[%d][%d]", &rowKey, &rpm) != 2)
        return false;
    const auto r = mapRowOfKey(rowKey);
    const auto c = mapColumnOfRpmKey(rpm);
    if (!r || !c)
        return false;
    row = *r;
    column = *c;
    return true;
}
} // namespace

int commandSet(CliContext& c)
{
    const auto& args = c.options.arguments;
    if (args.size() != 2) {
        c.err << "tarvola-cli: set needs a key and a value, e.g. set m_base.m_switchRPM 1500\n";
        return ExitUsage;
    }
    const SettingsKey* key = findSettingsKey(args[0]);
    if (!key) {
        c.err << "tarvola-cli: unknown key " << args[0] << '\n';
        return ExitUsage;
    }
    if (key->target() == KeyTarget::None) {
        c.err << "tarvola-cli: " << key->name() << " is not a setting the controller keeps\n";
        return ExitUsage;
    }
    int row = 0, column = 0;
    const bool mapCell = key->target() == KeyTarget::Map && mapCellOf(key->name(), row, column);
    // Check the value before anything is sent: a usage error must not cost a connection.
    {
        CDeviceSettings scratch;
        std::string error;
        if (!key->set(scratch, args[1], error)) {
            c.err << "tarvola-cli: " << error << '\n';
            return ExitUsage;
        }
        const double v = key->number(scratch).value_or(0);
        if (mapCell && (v < -50 || v > 50)) {
            c.err << "tarvola-cli: a map cell holds -50 to 50 %\n";
            return ExitUsage;
        }
    }

    if (const int rc = connectDevice(c); rc != ExitOk)
        return rc;
    // Writing a block the connection could not read would put defaults over the controller's other
    // settings in it.
    const std::string blockName = key->target() == KeyTarget::Map ? "map" : layoutOf(key->block()).name;
    for (const auto& unread : c.device.unreadBlocks()) {
        if (unread == blockName) {
            c.err << "tarvola-cli: the controller did not send its " << blockName
                  << " block; not writing it over the controller's other settings\n";
            return ExitRefused;
        }
    }

    std::string error;
    key->set(c.device.m_settings, args[1], error);
    bool ok = false;
    if (mapCell)
        ok = c.device.setMapCell(static_cast<std::uint8_t>(row), static_cast<std::uint8_t>(column),
                                 static_cast<int>(key->number(c.device.m_settings).value_or(0))) &&
             c.device.storeMap();
    else if (key->target() == KeyTarget::Map)
        ok = c.device.writeMap();
    else
        ok = c.device.writeSettings(key->block());
    if (!ok) {
        c.err << "tarvola-cli: the controller did not take the " << blockName << " block\n";
        return ExitRefused;
    }
    // Show the value as the controller keeps it: its units and roundings may differ from the input.
    const bool readBack = key->target() == KeyTarget::Map ? c.device.readMap() : c.device.readSettings(key->block());
    if (c.options.json) {
        JsonObject j;
        j.add("key", key->name()).add("value", key->text(c.device.m_settings)).addBool("readBack", readBack);
        c.out << j.str() << '\n';
    } else {
        c.out << key->name() << " = " << key->text(c.device.m_settings)
              << (readBack ? "" : " (written; reading it back failed)") << '\n';
    }
    return readBack ? ExitOk : ExitRefused;
}

} // namespace tarvola::cli
