#include "service/DeviceErrorsCommands.h"

#include "device/CLPGDevice.h"

namespace tarvola {

DeviceErrorReport readDeviceErrors(CLPGDevice& device)
{
    CBusyScope busy(device.prompt());
    CLPGDeviceErr& model = device;
    // Forgotten first, so that neither a failed read nor a raised error leaves an older reading
    // looking current.
    model.forgetStoredErrors();

    DeviceErrorReport report;
    StoredErrorFlags flags{};
    if (!device.readErrorFlags(flags)) {
        report.failureText = kReadErrorsFailedText;
        return report;
    }
    model.setStoredErrorFlags(flags);
    report.read = true;
    report.flags = flags;
    report.errors = model.storedErrors();
    report.text = model.storedErrorsText();
    return report;
}

DeviceErrorClearResult clearDeviceErrors(CLPGDevice& device)
{
    CBusyScope busy(device.prompt());
    CLPGDeviceErr& model = device;
    model.forgetStoredErrors();

    DeviceErrorClearResult result;
    if (!device.clearErrors()) {
        result.failureText = kClearErrorsFailedText;
        return result;
    }
    model.setStoredErrorFlags({});
    result.cleared = true;
    return result;
}

} // namespace tarvola
