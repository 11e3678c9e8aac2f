#pragma once
// The four controller settings pages as data: every control's item list, the record field it shows
// and changes (with the fields that change with it), the blocks its change writes and whether the
// change ends with a controller reset. The pages of the desktop application lay these out; the rules
// live here so a test can run a change without a window.
//
// A change is written at once (there is no Apply step): applySettingChange() in service/SettingsChange.h
// stores the value in the device's record and sends the blocks.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/CDeviceSettings.h"
#include "settings/SettingsBlocks.h"

namespace tarvola {

// One item of a value list. `text` is the item's Polish text (translated where it is shown), or
// null for an item shown as its number with `decimals` places (0 to 3, rounded half away from zero).
struct PageItem {
    double value = 0;
    int decimals = 0;
    const char* text = nullptr;
};

// The items of a list counted from `first` in `step` while the value does not exceed `last`. Each
// value is first + i × step, rounded to `decimals`, so a tenth step ends exactly on `last` and no
// value drifts by a rounding residue.
std::vector<PageItem> valueRange(double first, double last, double step, int decimals);
// How an item is shown when it has no text: "%d", "%.1f", "%.2f" or "%.3f" of its rounded value.
std::string formatItemValue(double value, int decimals);
// Whether `value` rounded to the item's decimals equals the item's value exactly: the test lists use
// to select a record value.
bool itemMatches(const PageItem& item, double value);

enum class ControlKind { List, Check, Slider };

struct SettingControl {
    int id = 0;                 // the control's identifier; its label has id + kLabelOffset
    ControlKind kind = ControlKind::List;
    const char* handler = "";   // qualified handler name for error boxes, without "()"
    const char* label = "";     // Polish label (a check box carries it itself)
    const char* unit = "";      // unit shown after the list, not translated
    int group = 0;              // index into the page's groups
    std::vector<PageItem> items;
    // The record's value as the control shows it: the item value, 1/0 for a check box, the slider
    // position. NaN when the record holds no value the control offers and nothing should be selected.
    std::function<double(const CDeviceSettings&)> get;
    // Stores a picked value, with every field that changes with it.
    std::function<void(CDeviceSettings&, double)> set;
    std::vector<SettingsBlock> blocks;   // written in this order
    bool needsConnection = true;         // false: acts (and tries to write) even without a controller
    bool endsWithReset = false;          // petrol step first, the blocks, then the reset request
    bool hidden = false;                 // built but never shown
    bool clearWhenNoMatch = false;       // no match selects nothing (instead of keeping the selection)
    std::int32_t minVersion = 0;         // shown only from this controller version on
};

constexpr int kLabelOffset = 500;

struct SettingsPage {
    const char* className;        // "CPanelGasolinePage", ...
    const char* title;            // Polish tab title
    std::vector<const char*> groups;  // Polish group captions; group g has the identifier groupId(g)
    std::vector<SettingControl> controls;
    int firstId = 0;
    bool hasFuelLevel = false;     // the last group carries the fuel level sliders, reading and lamps
    bool needsPassword = false;    // shown only once the advanced password was entered
    int groupId(int group) const { return firstId + 90 + group; }
    const SettingControl* find(int id) const;
};

const SettingsPage& petrolPage();    // "Parametry benzynowe"
const SettingsPage& gasPage();       // "Parametry gazowe"
const SettingsPage& switchPage();    // "Parametry przełączenia"
const SettingsPage& advancedPage();  // "Zaawansowane"

// Fixed identifiers of the gas page's fuel level controls (beyond the table's controls).
namespace fuelctl {
constexpr int FullSlider = 2230, HgwSlider = 2231, HalfSlider = 2232, QuarterSlider = 2233;
constexpr int Reading = 2240;   // "Aktualne wskazanie" box
constexpr int Lamps = 2241;     // four level lamps 2241..2244 from the top, the reserve lamp 2245
constexpr int ReserveLabel = 2246;
constexpr int ReadingLabel = 2247;
} // namespace fuelctl

// ---- the rules behind the controls ----

// Petrol injection type patterns: 0 sequential, 1 semi-sequential, 2 full group.
std::array<std::uint8_t, 8> channelPattern(int type, std::int32_t injectorCount);
// The type the channel bytes show (patterns compared in the order 0, 2, 1 over the first
// `injectorCount` bytes under the count's mask); -1 when none matches.
int channelPatternType(const std::array<std::uint8_t, 8>& bytes, std::int32_t injectorCount);

struct InjectorPreset {
    double pwm;
    double pwmOffsetMs;
    double warmingImpulseMs;
};
InjectorPreset injectorPreset(int injectorType);

struct FuelSensorPreset {
    std::uint8_t res;
    std::uint8_t type;
    std::array<std::uint8_t, 4> thresholds;  // Full, Hgw, Half, Quarter
};
// False for a sensor type without a preset (2, 7 and up): then nothing but the type changes.
bool fuelSensorPreset(int sensorType, FuelSensorPreset& out);

// How many of the four fuel level lamps are lit (counted from the bottom) for a raw level and the
// thresholds Full, Hgw, Half, Quarter; a falling sensor (Full below Hgw) is turned round first.
// 0 means the tank is at the reserve.
int fuelLampsLit(std::uint8_t level, const CSensorsSetup& setup);
// Whether lamp `fromTop` (0 top .. 3 bottom) of the four is lit when `lit` of them are.
constexpr bool fuelLampOn(int fromTop, int lit) { return 4 - fromTop <= lit; }
// The fuel gauges (the dashboard's and the gas page's) follow every this-many-th tick of the 100 ms
// refresh, so a sender that wavers does not flicker the lamps and the reserve lamp blinks at 1 Hz.
constexpr unsigned kFuelGaugeTicks = 5;
constexpr bool fuelGaugeTick(unsigned tick) { return tick % kFuelGaugeTicks == 0; }

} // namespace tarvola

namespace tarvola {
// The password of the advanced page, compared exactly (byte for byte, case-sensitive).
bool advancedPasswordMatches(std::string_view entry);
} // namespace tarvola
