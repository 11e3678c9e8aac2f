#pragma once
// What differs between two configurations: every setting that tells how a car is set up, by its
// settings-file key, with the Polish label of the control that sets it, and its value in each. The
// command line's `diff` and the window's comparison both list these.

#include <string>
#include <vector>

#include "settings/CDeviceSettings.h"

namespace tarvola {

class SettingsKey;

struct SettingDifference {
    const SettingsKey* key = nullptr;
    std::string label;   // Polish, translated where it is shown; empty when no control sets the key
    std::string before;  // the value in the first record, as a settings file writes it
    std::string after;   // the value in the second
};

// In file order. The time stamp and the running-time statistics are left out: they tell when a
// file was saved and how long the car ran, and differ between any two readings.
std::vector<SettingDifference> settingsDifferences(const CDeviceSettings& first, const CDeviceSettings& second);

// The Polish label of what sets a key: the settings page control that changes it, or for the
// fields no page control sets, their window ("Mapa", "Linia mnożnika", "Korekcje"); empty otherwise.
std::string settingLabel(const std::string& keyName);

} // namespace tarvola
