#pragma once
// A picked value of a settings page, through the record and the controller.

#include "device/CLPGDevice.h"
#include "settings/SettingsPages.h"

namespace tarvola {

enum class ChangeResult {
    NotConnected,   // the handler needs the controller's settings and has none: nothing changed
    Unchanged,      // the picked value is the record's value: nothing sent
    Written,
    WriteFailed,    // the petrol step or a block write failed: "Nie powiodło się wpisanie ustawień..."
    ResetFailed,    // the blocks went, the reset request failed: "Nie powiodło się zresetowanie..."
};

// Runs a change through the record and the controller. A check box is never "Unchanged": clicking it
// always writes. Port errors (CRSError) pass through to the caller, with the record already changed.
ChangeResult applySettingChange(CLPGDevice& device, const SettingControl& control, double value);
// The Polish message for a failed change; empty for the other results.
const char* changeFailureMessage(ChangeResult result);

} // namespace tarvola
