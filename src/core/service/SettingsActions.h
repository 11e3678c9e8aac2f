#pragma once
// The whole-configuration actions on a connected device: save its settings record to a file, load a
// file into it and write it to the controller, restore the factory settings, and keep a backup.
//
// The faces choose the file; these run the rest, show their own failure messages through the
// device's prompt (translated) and report the outcome. A link error object raised on the way is
// caught here and shown with the action's name; the action then ends as failed.

#include <optional>
#include <string>

#include "settings/CDeviceSettings.h"

namespace tarvola {

class CLPGDevice;

// Messages the faces share with these actions.
inline constexpr const char* kSaveFailedText = "Nie można wpisać ustawień do pliku z danymi samochodu";
inline constexpr const char* kNotAllReadText =
    "Sterownik nie przesłał wszystkich ustawień, więc nic nie zostało zapisane.";

// The local time in strftime's `format`: the time stamps of settings files and backups.
std::string localTime(const char* format);

enum class ActionResult { Done, Cancelled, Failed };

// The steps of a complete write to the controller, and the file steps around it.
enum class WriteStep {
    None,
    ReadFile,
    WriteFile,
    PetrolSwitch,
    Base,
    Adv,
    MainCorr,
    SetupTimes,
    Map,
    ClearMap,
    StoreMap,
    AdvancedSetup,
    SensorsSetup,
    Reset,
};
const char* stepName(WriteStep step);

struct ActionOutcome {
    ActionResult result = ActionResult::Done;
    WriteStep failedStep = WriteStep::None; // the step that failed when result is Failed
    std::string message;                    // what the user was shown (translated), or ""
};

// The settings folder ($XDG_DATA_HOME/TARVOLA/settings/, default ~/.local/share/TARVOLA/settings/),
// created when missing. Nothing when it cannot be found or created.
std::optional<std::string> settingsFolder();

// Stamps the live record with the local time ("%d-%m-%Y-%H:%M:%S") and writes it to `path`
// (replacing any file there only once the whole file is written). Failure: Failed after the message
// "Nie można wpisać ustawień do pliku z danymi samochodu".
ActionOutcome saveSettings(CLPGDevice& device, const std::string& path);

// Reads `path` into a fresh default record, merges it into the live record and writes the live record
// to the controller in the load order. An unreadable file shows "Nie można wczytać ustawień z pliku"
// and leaves the live record unchanged; the first failing controller step shows its message and ends
// the action, leaving the record merged and the earlier steps written.
ActionOutcome loadSettings(CLPGDevice& device, const std::string& path);
// The same for a record already in memory (settings prepared offline): merged and written in the
// load order, with the same messages.
ActionOutcome loadSettingsRecord(CLPGDevice& device, const CDeviceSettings& loaded);

// Asks whether to restore the factory settings (anything but Yes: Cancelled, nothing changed), merges
// a default record into the live one and writes it in the factory order.
ActionOutcome restoreFactorySettings(CLPGDevice& device);

// Saves the live record (unchanged; the copy gets the time stamp) to "backup-YYYYmmdd-HHMMSS.xset"
// in `folder` (the settings folder when empty), never over an existing file. Returns the file's
// path, or nothing when it could not be written; shows no message, the caller decides.
std::optional<std::string> backupSettings(const CLPGDevice& device, const std::string& folder = "");

// The merges, for callers and tests: what a loaded file replaces in the live record, and what the
// factory settings replace.
void mergeLoadedSettings(CDeviceSettings& live, const CDeviceSettings& loaded);
void mergeFactorySettings(CDeviceSettings& live, const CDeviceSettings& defaults);

} // namespace tarvola
