#pragma once
// Writing a firmware image into the connected controller: the checks of the image against the
// controller, a backup of its settings, the programming itself and the reconnection afterwards.
//
// The face offers the update only when firmwareUpdateAllowed says the controller takes one, chooses
// the file and asks whether to go ahead; updateFirmware runs the rest, asks the version question and
// shows its failure messages (translated) through the device's prompt.
// A link error object (CRSError) raised by the port is NOT caught here: it passes to the caller,
// which shows it (tarvola-cli's runCli catches every IError and exits with 1). Polling then stays
// stopped, as it does after any failure once programming has begun.

#include <cstdint>
#include <functional>
#include <string>

#include "service/SettingsActions.h"
#include "settings/CDevInfo.h"
#include "settings/CFirmwareFile.h"

namespace tarvola {

class CLPGDevice;

// The pause after entering programming and after the closing requests: the controller erases, then
// reboots, and hears nothing meanwhile.
constexpr std::uint32_t kProgrammingPauseMs = 500;

// True when the connected controller takes a new firmware: its identity was read on this connection
// and sets flags::FirmwareUpdates. Never in demo mode: the demo identity sets no flags, and
// there is no firmware to replace. The window enables its firmware button by it.
bool firmwareUpdateAllowed(const CLPGDevice& device);

enum class FirmwareStep {
    None,
    Permission,
    PetrolSwitch,
    LoadFile,
    FileFormat,
    DeviceName,
    OlderVersion,
    Backup,
    EnterProgramming,
    WriteBlocks,
    Reconnect,
};
const char* firmwareStepName(FirmwareStep step);

// What an image file holds and whether this controller can take it: the file reads, its format word
// is the one images carry, and its device name is the controller's. The update checks the same.
struct FirmwareImageCheck {
    bool loaded = false;
    std::uint16_t version = 0;
    std::uint16_t formatWord = 0;
    std::string deviceName;
    std::string error;  // why the file did not read
    FirmwareStep failedStep = FirmwareStep::None;  // LoadFile, FileFormat or DeviceName; None: it fits
    bool fits() const { return failedStep == FirmwareStep::None; }
};
// `file`, when given, keeps the image for writing.
FirmwareImageCheck checkFirmwareImage(const std::string& imagePath, const CDevInfo& controller,
                                      CFirmwareFile* file = nullptr);

struct FirmwareUpdateOptions {
    // Where the settings backup goes; the settings folder when empty.
    std::string backupFolder;
    // Told the backup's path as soon as it is written, before the controller is touched.
    std::function<void(const std::string& path)> backedUp;
    // After every firmware block the controller took: blocks so far, blocks to send in all.
    std::function<void(std::size_t sent, std::size_t total)> progress;
};

struct FirmwareUpdateOutcome {
    ActionResult result = ActionResult::Done;   // Cancelled: the older-version question was answered No
    FirmwareStep failedStep = FirmwareStep::None; // the step that failed or was declined
    std::string message;    // what the user was shown (translated), or ""
    std::string detail;     // why, in English, for the command line and logs, or ""
    std::string backupPath; // the settings backup, once written
    std::uint16_t fileVersion = 0;
    std::size_t blocksSent = 0;
};

// The sequence, each step ending it on failure:
//  0. refuse a controller that does not allow the update (firmwareUpdateAllowed) before anything is
//     sent ("Aktualizacja firmware jest zablokowana w tym sterowniku.");
//  1. switch to petrol and wait ("Nie powiodło się przełączenie na benzynę!");
//  2. load `imagePath`, check its format word and that its device name is the controller's
//     ("Nie powiodło się zaprogramowanie urządzenia!" for each);
//  3. an image older than the controller's firmware is written only when the user says Yes;
//  4. back up the controller's settings (refused when some block was not read, as the backup would
//     hold defaults): "Nie można wpisać ustawień do pliku z danymi samochodu" and the folder;
//  5. stop live polling, enter programming, pause, write the blocks, send the two closing requests
//     (their answers do not matter), pause, reconnect, and restart polling when it ran before
//     ("Nie powiodło się zaprogramowanie urządzenia!" when entering, writing or reconnecting fails;
//     a reconnection that ends in demo mode is a failure).
FirmwareUpdateOutcome updateFirmware(CLPGDevice& device, const std::string& imagePath,
                                     const FirmwareUpdateOptions& options = {});

} // namespace tarvola
