#pragma once
// Messages that several parts of the program show, in Polish as written; translate() gives them in
// the user's language.

namespace tarvola {

// A setting, a correction or an erase the controller did not take.
constexpr const char* kDeviceSettingFailedText = "Nie powiodło się ustawienie urządzenia!";
// The controller did not take the reset request that ends a settings change.
constexpr const char* kAutoModeFailedText = "Nie powiodło się przełączenie w tryb AUTO!";
constexpr const char* kDeviceResetFailedText = "Nie powiodło się zresetowanie urządzenia!";

} // namespace tarvola
