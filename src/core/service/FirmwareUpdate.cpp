#include "service/FirmwareUpdate.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "lang/translate.h"
#include "device/CLPGDevice.h"
#include "platform/Clock.h"
#include "settings/CFirmwareFile.h"
#include "platform/NumberText.h"

namespace tarvola {

namespace {

constexpr const char* kUpdateDisabled = "Aktualizacja firmware jest zablokowana w tym sterowniku.";

// The prescribed pauses around programming, in short slices with the window's events handled
// between them, so that the window keeps drawing while the controller gets ready.
void pause(IUserPrompt& prompt, std::int64_t ms)
{
    const auto since = SteadyClock::now();
    for (std::int64_t left = ms; left > 0; left = ms - elapsedMs(since)) {
        prompt.pumpEvents();
        sleepMs(static_cast<std::uint32_t>(std::min<std::int64_t>(left, 10)));
    }
}
constexpr const char* kPetrolFailed = "Nie powiodło się przełączenie na benzynę!";
constexpr const char* kProgrammingFailed = "Nie powiodło się zaprogramowanie urządzenia!";
constexpr const char* kOlderQuestion =
    "Wersja sterownika jest nowsza niż wersja pliku firmware.\nCzy chcesz zaprogramować sterownik starszą wersją?";
constexpr const char* kBackupFailed = "Nie można wpisać ustawień do pliku z danymi samochodu";


// Why firmwareUpdateAllowed said no, for the command line and logs.
std::string whyNotAllowed(const CLPGDevice& device)
{
    if (device.isDemo())
        return "demo mode has no firmware to replace";
    if (!device.identityKnown())
        return "the controller has not sent its identity";
    char flags[12];
    std::snprintf(flags, sizeof flags, "0x%08X", static_cast<unsigned>(device.m_settings.m_devInfo.m_flags1));
    return std::string("the controller reports firmware updates disabled (m_devInfo.m_flags1 ") + flags +
           ", bit 2 clear)";
}

} // namespace

bool firmwareUpdateAllowed(const CLPGDevice& device)
{
    return !device.isDemo() && device.identityKnown() &&
           (device.m_settings.m_devInfo.m_flags1 & flags::FirmwareUpdates) != 0;
}

const char* firmwareStepName(FirmwareStep step)
{
    switch (step) {
    case FirmwareStep::None: return "none";
    case FirmwareStep::Permission: return "update permission";
    case FirmwareStep::PetrolSwitch: return "switch to petrol";
    case FirmwareStep::LoadFile: return "image file";
    case FirmwareStep::FileFormat: return "image format";
    case FirmwareStep::DeviceName: return "device name";
    case FirmwareStep::OlderVersion: return "older version";
    case FirmwareStep::Backup: return "settings backup";
    case FirmwareStep::EnterProgramming: return "enter programming";
    case FirmwareStep::WriteBlocks: return "firmware blocks";
    case FirmwareStep::Reconnect: return "reconnect";
    }
    return "?";
}

FirmwareImageCheck checkFirmwareImage(const std::string& imagePath, const CDevInfo& controller, CFirmwareFile* file)
{
    FirmwareImageCheck check;
    CFirmwareFile local;
    CFirmwareFile& image = file ? *file : local;
    check.loaded = image.load(imagePath, check.version, check.deviceName, check.formatWord);
    if (!check.loaded) {
        check.error = image.errorString();
        check.failedStep = FirmwareStep::LoadFile;
    } else if (check.formatWord != CFirmwareFile::kFormatWord) {
        check.failedStep = FirmwareStep::FileFormat;
    } else if (check.deviceName != controller.m_name) {
        check.failedStep = FirmwareStep::DeviceName;
    }
    return check;
}

FirmwareUpdateOutcome updateFirmware(CLPGDevice& device, const std::string& imagePath,
                                     const FirmwareUpdateOptions& options)
{
    IUserPrompt& prompt = device.prompt();
    FirmwareUpdateOutcome outcome;
    std::optional<CBusyScope> busy(std::in_place, prompt);
    const auto fail = [&](FirmwareStep step, std::string message, std::string detail = "") {
        busy.reset();
        prompt.error(message);
        outcome.result = ActionResult::Failed;
        outcome.failedStep = step;
        outcome.message = std::move(message);
        outcome.detail = std::move(detail);
        return outcome;
    };

    if (!firmwareUpdateAllowed(device))
        return fail(FirmwareStep::Permission, translate(kUpdateDisabled), whyNotAllowed(device));

    if (!device.switchToPetrolAndWait())
        return fail(FirmwareStep::PetrolSwitch, translate(kPetrolFailed));

    const CDevInfo& info = device.m_settings.m_devInfo;
    CFirmwareFile file;
    const FirmwareImageCheck image = checkFirmwareImage(imagePath, info, &file);
    const std::uint16_t fileVersion = image.version;
    outcome.fileVersion = fileVersion;
    switch (image.failedStep) {
    case FirmwareStep::LoadFile: return fail(FirmwareStep::LoadFile, translate(kProgrammingFailed), image.error);
    case FirmwareStep::FileFormat:
        return fail(FirmwareStep::FileFormat, translate(kProgrammingFailed),
                    imagePath + ": format word " + hexWordText(image.formatWord) + ", not " + hexWordText(CFirmwareFile::kFormatWord));
    case FirmwareStep::DeviceName:
        return fail(FirmwareStep::DeviceName, translate(kProgrammingFailed),
                    imagePath + ": the image is for \"" + image.deviceName + "\", the controller is \"" + info.m_name +
                        "\"");
    default: break;
    }
    // The controller reports its version in 16 bits; so does the image.
    if (fileVersion < static_cast<std::uint16_t>(info.m_version)) {
        busy.reset();
        if (!prompt.yesNo(translate(kOlderQuestion))) {
            outcome.result = ActionResult::Cancelled;
            outcome.failedStep = FirmwareStep::OlderVersion;
            return outcome;
        }
        busy.emplace(prompt);
    }

    // The new firmware may start from its own defaults: the fitter must be able to put the car's
    // settings back, so nothing is programmed without a complete backup.
    if (!device.unreadBlocks().empty())
        return fail(FirmwareStep::Backup, translate(kBackupFailed),
                    "the controller did not send its " + device.unreadBlocks().front() +
                        " block, so a backup would hold defaults");
    const std::string folder = options.backupFolder.empty() ? settingsFolder().value_or("") : options.backupFolder;
    const auto backup = folder.empty() ? std::nullopt : backupSettings(device, folder);
    if (!backup)
        return fail(FirmwareStep::Backup, translate(kBackupFailed) + (folder.empty() ? "" : "\n" + folder),
                    folder.empty() ? "there is no settings folder (neither XDG_DATA_HOME nor HOME is set)"
                                   : "no backup of the settings could be written to " + folder);
    outcome.backupPath = *backup;
    if (options.backedUp)
        options.backedUp(*backup);

    const bool wasPolling = device.pollingOn();
    device.stopDiagnostics();
    if (!device.enterProgramming())
        return fail(FirmwareStep::EnterProgramming, translate(kProgrammingFailed),
                    "the controller did not enter programming");
    pause(prompt, kProgrammingPauseMs);
    const bool written = device.writeFirmware(file.image(), file.blockCount(), [&](std::size_t sent, std::size_t total) {
        outcome.blocksSent = sent;
        if (options.progress)
            options.progress(sent, total);
        prompt.pumpEvents();
    });
    if (!written)
        return fail(FirmwareStep::WriteBlocks, translate(kProgrammingFailed),
                    "the controller did not take firmware block " + std::to_string(outcome.blocksSent + 1));
    // The controller leaves programming on the second request and may reboot before it answers.
    device.firmwareRequest96();
    device.firmwareRequest10();
    pause(prompt, kProgrammingPauseMs);

    // A search that ends in demo mode has not found the controller again. The update's window is
    // modal, so it may draw while the controller is read again.
    device.setPumpWhileConnecting(true);
    bool found = false;
    try {
        found = device.connect();
    } catch (...) {
        device.setPumpWhileConnecting(false);
        throw;
    }
    device.setPumpWhileConnecting(false);
    if (!found || !device.isConnected() || device.isDemo())
        return fail(FirmwareStep::Reconnect, translate(kProgrammingFailed),
                    "the controller did not answer after programming");
    if (wasPolling)
        device.startDiagnostics();
    return outcome;
}

} // namespace tarvola
