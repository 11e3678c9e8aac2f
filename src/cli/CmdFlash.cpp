// tarvola-cli flash IMAGE.img: write a firmware image into the controller.

#include <ostream>

#include "CliCommands.h"
#include "Json.h"
#include "service/FirmwareUpdate.h"
#include "platform/NumberText.h"

namespace tarvola::cli {

int commandFlash(CliContext& c)
{
    if (c.options.arguments.size() != 1) {
        c.err << "tarvola-cli: flash needs one firmware image file\n";
        return ExitUsage;
    }
    const std::string& path = c.options.arguments[0];
    // A file that is no image we can write is the caller's mistake: say so before anything is sent
    // (whose image it is can only be told once the controller answered).
    const FirmwareImageCheck image = checkFirmwareImage(path, CDevInfo{});
    const std::uint16_t fileVersion = image.version;
    if (image.failedStep == FirmwareStep::LoadFile) {
        c.err << "tarvola-cli: " << image.error << '\n';
        return ExitUsage;
    }
    if (image.failedStep == FirmwareStep::FileFormat) {
        c.err << "tarvola-cli: " << path << ": format word " << hexWordText(image.formatWord)
              << " is not one this tool can write\n";
        return ExitUsage;
    }
    if (const int rc = connectDevice(c); rc != ExitOk)
        return rc;
    CLPGDevice& device = c.device;
    // The image is checked against the controller's version: without it that check would pass blindly.
    if (!device.identityKnown()) {
        c.err << "tarvola-cli: the controller did not send its identity\n";
        return ExitRefused;
    }
    const auto controllerVersion = static_cast<unsigned>(device.m_settings.m_devInfo.m_version);
    // A controller that does not allow the update (and demo mode) gets no question: the procedure
    // refuses it with its own message before anything is sent.
    if (firmwareUpdateAllowed(device) &&
        !device.prompt().yesNo("Write the firmware " + path + " (version " + hexWordText(fileVersion) +
                               ") into the controller (version " + hexWordText(controllerVersion) + ")?")) {
        c.err << "tarvola-cli: cancelled (give --yes to confirm)\n";
        return ExitRefused;
    }

    FirmwareUpdateOptions options;
    options.backedUp = [&](const std::string& backup) {
        c.err << "tarvola-cli: the controller's settings were saved to " << backup << '\n';
    };
    options.progress = [&](std::size_t sent, std::size_t total) {
        c.err << "block " << sent << '/' << total << '\n';
    };
    const FirmwareUpdateOutcome outcome = updateFirmware(device, path, options);
    switch (outcome.result) {
    case ActionResult::Done: {
        const auto newVersion = static_cast<unsigned>(device.m_settings.m_devInfo.m_version);
        if (c.options.json) {
            JsonObject j;
            j.add("firmware", path)
                .add("fileVersion", std::int64_t{fileVersion})
                .add("blocks", static_cast<std::int64_t>(outcome.blocksSent))
                .add("backup", outcome.backupPath)
                .add("m_devInfo.m_version", std::int64_t{newVersion});
            c.out << j.str() << '\n';
        } else {
            c.out << "Firmware written: " << outcome.blocksSent << " blocks; the controller reports version "
                  << newVersion << " (" << hexWordText(newVersion) << ")\n";
        }
        return ExitOk;
    }
    case ActionResult::Cancelled:
        c.err << "tarvola-cli: cancelled, the controller was not programmed\n";
        return ExitRefused;
    case ActionResult::Failed:
        c.err << "tarvola-cli: stopped at the " << firmwareStepName(outcome.failedStep) << " step"
              << (outcome.detail.empty() ? "" : ": " + outcome.detail) << '\n';
        return ExitRefused;
    }
    return ExitRefused;
}

} // namespace tarvola::cli
