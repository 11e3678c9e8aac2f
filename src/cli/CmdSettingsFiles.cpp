// tarvola-cli save / load / factory-reset / diff: whole configurations and settings files.

#include <ostream>

#include "CliCommands.h"
#include "Json.h"
#include "settings/SettingsDiff.h"
#include "settings/CSettingsFile.h"
#include "service/SettingsActions.h"
#include "settings/SettingsKeys.h"

namespace tarvola::cli {

namespace {
// A controller whose blocks were not all read would be saved, or backed up, with defaults in them.
bool everyBlockRead(CliContext& c)
{
    for (const auto& block : c.device.unreadBlocks())
        c.err << "tarvola-cli: the controller did not send its " << block << " block\n";
    return c.device.unreadBlocks().empty();
}

// Before the controller is overwritten, its settings go to a time-stamped file the fitter can load back.
bool backUp(CliContext& c)
{
    const auto path = backupSettings(c.device);
    if (!path) {
        c.err << "tarvola-cli: could not save a backup of the controller's settings; nothing was written\n";
        return false;
    }
    c.err << "tarvola-cli: the controller's settings were saved to " << *path << '\n';
    return true;
}

int outcomeCode(const ActionOutcome& outcome, CliContext& c, const char* done)
{
    switch (outcome.result) {
    case ActionResult::Done:
        c.out << done << '\n';
        return ExitOk;
    case ActionResult::Cancelled:
        c.err << "tarvola-cli: cancelled (give --yes to confirm)\n";
        return ExitRefused;
    case ActionResult::Failed:
        if (outcome.failedStep != WriteStep::None)
            c.err << "tarvola-cli: stopped at the " << stepName(outcome.failedStep) << " step\n";
        return ExitRefused;
    }
    return ExitRefused;
}
} // namespace

int commandSave(CliContext& c)
{
    if (c.options.arguments.size() != 1) {
        c.err << "tarvola-cli: save needs a file name\n";
        return ExitUsage;
    }
    if (const int rc = connectDevice(c); rc != ExitOk)
        return rc;
    if (!everyBlockRead(c))
        return ExitRefused;
    // The file carries the running-time counters too.
    c.device.readStatistics();
    const auto outcome = saveSettings(c.device, c.options.arguments[0]);
    return outcomeCode(outcome, c, ("Saved to " + c.options.arguments[0]).c_str());
}

int commandLoad(CliContext& c)
{
    if (c.options.arguments.size() != 1) {
        c.err << "tarvola-cli: load needs a file name\n";
        return ExitUsage;
    }
    const std::string& path = c.options.arguments[0];
    {
        // A file that cannot be read is the caller's mistake: say so before anything is sent.
        CDeviceSettings scratch;
        std::string error;
        if (!readSettingsRecord(path, scratch, error)) {
            c.err << "tarvola-cli: " << error << '\n';
            return ExitUsage;
        }
    }
    if (const int rc = connectDevice(c); rc != ExitOk)
        return rc;
    if (!c.device.prompt().yesNo("Write the settings of " + path + " into the controller?")) {
        c.err << "tarvola-cli: cancelled (give --yes to confirm)\n";
        return ExitRefused;
    }
    if (!everyBlockRead(c) || !backUp(c))
        return ExitRefused;
    return outcomeCode(loadSettings(c.device, path), c, ("Loaded " + path).c_str());
}

int commandFactoryReset(CliContext& c)
{
    if (!c.options.arguments.empty()) {
        c.err << "tarvola-cli: factory-reset takes no arguments\n";
        return ExitUsage;
    }
    if (const int rc = connectDevice(c); rc != ExitOk)
        return rc;
    if (!everyBlockRead(c) || !backUp(c))
        return ExitRefused;
    return outcomeCode(restoreFactorySettings(c.device), c, "Factory settings written");
}

int commandDiff(CliContext& c)
{
    const auto& args = c.options.arguments;
    if (args.empty() || args.size() > 2) {
        c.err << "tarvola-cli: diff needs one file (against the controller) or two files\n";
        return ExitUsage;
    }
    CDeviceSettings a, b;
    std::string error;
    if (!readSettingsRecord(args[0], a, error)) {
        c.err << "tarvola-cli: " << error << '\n';
        return ExitUsage;
    }
    std::string otherName;
    if (args.size() == 2) {
        if (!readSettingsRecord(args[1], b, error)) {
            c.err << "tarvola-cli: " << error << '\n';
            return ExitUsage;
        }
        otherName = args[1];
    } else {
        if (const int rc = connectDevice(c); rc != ExitOk)
            return rc;
        if (!everyBlockRead(c))
            return ExitRefused;
        c.device.readStatistics();
        b = c.device.m_settings;
        otherName = "controller";
    }
    std::string json = "[";
    int differences = 0;
    for (const SettingDifference& d : settingsDifferences(a, b)) {
        if (c.options.json) {
            JsonObject o;
            o.add("key", d.key->name()).add(args[0], d.before).add(otherName, d.after);
            json += (differences ? ", " : "") + o.str();
        } else {
            c.out << d.key->name() << '\t' << d.before << '\t' << d.after << '\n';
        }
        ++differences;
    }
    if (c.options.json)
        c.out << json << "]\n";
    else if (differences == 0)
        c.out << "No differences.\n";
    return ExitOk;
}

} // namespace tarvola::cli
