#include "service/SettingsChange.h"

#include "lang/CommonTexts.h"

namespace tarvola {

ChangeResult applySettingChange(CLPGDevice& device, const SettingControl& control, double value)
{
    if (control.needsConnection && !device.editable())
        return ChangeResult::NotConnected;
    if (control.kind != ControlKind::Check) {
        const double current = control.get(device.m_settings);
        if (current == value)
            return ChangeResult::Unchanged;
    }
    control.set(device.m_settings, value);
    if (device.isOffline()) {
        // A file prepared without a controller: no petrol step, no reset, only the record.
        for (SettingsBlock block : control.blocks)
            device.writeSettings(block);
        return ChangeResult::Written;
    }
    if (control.endsWithReset && !device.switchToPetrolAndWait())
        return ChangeResult::WriteFailed;
    for (SettingsBlock block : control.blocks)
        if (!device.writeSettings(block))
            return ChangeResult::WriteFailed;
    if (control.endsWithReset && !device.resetDevice())
        return ChangeResult::ResetFailed;
    return ChangeResult::Written;
}

const char* changeFailureMessage(ChangeResult result)
{
    switch (result) {
    case ChangeResult::WriteFailed: return "Nie powiodło się wpisanie ustawień do urządzenia!";
    case ChangeResult::ResetFailed: return kDeviceResetFailedText;
    default: return "";
    }
}

} // namespace tarvola
