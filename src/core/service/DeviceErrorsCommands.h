#pragma once
// Reading and clearing the controller's stored faults, for the errors dialog and the command line.
// Results are returned, never shown: the face shows the failure text (a Polish source text, passed
// through translate) in its own way.

#include <string>
#include <vector>

#include "monitor/CLPGDeviceErr.h"

namespace tarvola {

class CLPGDevice;

struct DeviceErrorReport {
    // False when the controller did not answer: `flags`, `errors` and `text` are then empty and the
    // device's model knows no stored faults (an empty list must never pass for "no faults").
    bool read = false;
    StoredErrorFlags flags{};
    std::vector<DeviceErrorEntry> errors; // in byte order, bit 0 first, in the current language
    std::string text;                     // the whole text as the errors dialog shows it
    const char* failureText = nullptr;    // kReadErrorsFailedText when not read
};

// Reads the four stored error bytes (demo mode: four zero bytes) into the device's model and
// returns them decoded. Shows the busy indicator meanwhile. A port failure (CRSError) passes
// through to the caller, and the model then knows no stored faults.
DeviceErrorReport readDeviceErrors(CLPGDevice& device);

struct DeviceErrorClearResult {
    bool cleared = false;
    const char* failureText = nullptr; // kClearErrorsFailedText when not cleared
};

// Switches the controller to petrol, waits for petrol mode and then clears its stored faults (the
// controller resets). On success the model holds no faults; on failure it knows none, since a clear
// that got half way may or may not have reached the controller. Shows the busy indicator
// meanwhile. A port failure (CRSError) passes through to the caller, the model knowing no faults.
DeviceErrorClearResult clearDeviceErrors(CLPGDevice& device);

} // namespace tarvola
