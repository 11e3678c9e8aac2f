#include "Procedures.h"

#include "platform/Clock.h"
#include "service/FirmwareUpdate.h"
#include "service/SettingsActions.h"

namespace tarvola::bench {

namespace {

// Every word address the firmware block write sends: 45056 words, 704 blocks, of which the vector
// page's two and the application area's 640 go over the wire.
constexpr std::size_t kFirmwareWords = kFirmwareEndWordAddress;

std::vector<std::uint8_t> firmwareImage()
{
    std::vector<std::uint8_t> image(2 * kFirmwareWords);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + i / 128);
    return image;
}

// The programming steps of the firmware update, with its two pauses; the petrol step, the backup
// and the reconnection around them are measured elsewhere (switches, whole-configuration read).
bool programFirmware(CLPGDevice& device, const std::vector<std::uint8_t>& image)
{
    if (!device.enterProgramming())
        return false;
    sleepMs(kProgrammingPauseMs);
    const bool written = device.writeFirmware(image, image.size() / kFirmwareBlockSize);
    // Both closing requests go out whatever happened, or the controller stays in programming.
    const bool closed96 = device.firmwareRequest96();
    const bool closed10 = device.firmwareRequest10();
    sleepMs(kProgrammingPauseMs);
    return written && closed96 && closed10;
}

} // namespace

double switchAndPetrolPauses(const WireCounter& counter, const LinkTiming& timing)
{
    const std::size_t switches =
        counter.requests("switchToPetrol") + counter.requests("switchToGas") + counter.requests("switchToAuto");
    return (static_cast<double>(switches) * timing.switchPauseMs +
            static_cast<double>(counter.requests("pollDiagnostics")) * timing.petrolPollPauseMs) /
           1000.0;
}

std::vector<Procedure> makeProcedures(const std::string& settingsFile)
{
    std::vector<Procedure> procedures;
    // The load order: petrol step, every block, the map, the reset with its own petrol step.
    procedures.push_back({"complete settings write",
                          [settingsFile](CLPGDevice& d) {
                              return loadSettings(d, settingsFile).result == ActionResult::Done;
                          },
                          switchAndPetrolPauses});
    procedures.push_back({"firmware image (45056 words)",
                          [image = firmwareImage()](CLPGDevice& d) { return programFirmware(d, image); },
                          [](const WireCounter& c, const LinkTiming& t) {
                              return switchAndPetrolPauses(c, t) + 2.0 * kProgrammingPauseMs / 1000.0;
                          },
                          true});
    return procedures;
}

} // namespace tarvola::bench
