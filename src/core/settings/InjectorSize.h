#pragma once
// The injector size calculator: the gas nozzle diameter recommended for an engine from its power
// (horsepower), its cylinder count and its petrol injection type. Pure computation; it talks to no
// controller, so the dialog and the command line share it.
//
// The recommendation comes from a fixed table: the row is picked by the whole horsepower per
// cylinder (power / cylinders, rounded down), the column by the injection type. Diameters are held
// in tenths of a millimetre so the table and its "%1.1f" text never meet a binary fraction.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tarvola {

// Values as the dialog's type list carries them.
enum class InjectionType : int { Sequential = 0, SemiSequential = 1, FullGroup = 2 };

constexpr std::array<InjectionType, 3> kInjectionTypes{InjectionType::Sequential, InjectionType::SemiSequential,
                                                       InjectionType::FullGroup};

// The type's Polish source text ("Sekwencja", "Półsekwencja", "Full group"); the caller translates it.
const char* injectionTypeText(InjectionType type);
// The type of a list value 0..2; nothing for any other value.
std::optional<InjectionType> injectionTypeFromValue(int value);
// The command line's names "seq", "semi" and "full" (lower case); nothing for anything else.
std::optional<InjectionType> parseInjectionType(std::string_view name);

// The cylinder counts the dialog offers.
constexpr std::array<int, 6> kOfferedCylinderCounts{3, 4, 5, 6, 7, 8};
// The counts the calculation accepts. Any positive count divides soundly; past 16 it is no car engine.
constexpr int kMinCylinders = 1;
constexpr int kMaxCylinders = 16;

// The range the power spin control keeps to, and the initial power text.
constexpr int kMinSpinPowerHp = 30;
constexpr int kMaxSpinPowerHp = 500;
constexpr int kDefaultPowerHp = 100;
// A typed power above this is a typing slip, not an engine; the calculation refuses it rather than
// recommending the biggest nozzle for it.
constexpr double kMaxPowerHp = 10000;

// The power written at the start of the power text: optional leading blanks, then digits with an
// optional decimal part ("C" locale, '.' only). Text that does not start that way counts as 0, as the
// dialog has always done; digits too many for a double give +infinity, which the calculation refuses.
double parsePowerText(std::string_view text);

// One spin step: `hp` + `step`, or `hp` unchanged when the result would leave 30..500.
int stepPower(int hp, int step);

enum class InjectorSizeError {
    None,
    BadCylinders, // outside kMinCylinders..kMaxCylinders (0 included: no cylinder entry chosen)
    BadPower,     // negative, NaN, infinite or above kMaxPowerHp
    BadType,      // not one of the three injection types
};

struct InjectorSizeResult {
    InjectorSizeError error = InjectorSizeError::None;
    int powerPerCylinder = 0; // whole HP per cylinder, rounded down
    int row = 0;              // 0..7, the table row of powerPerCylinder
    int column = 0;           // 0..2: Sequential 2, SemiSequential 1, FullGroup 0
    int diameterTenthsMm = 0; // 18..41

    bool ok() const { return error == InjectorSizeError::None; }
    double diameterMm() const { return diameterTenthsMm / 10.0; }
    // "%1.1f" of the diameter ("2.6"); empty when there is no result.
    std::string text() const;
};

// The table row (0..7) of a whole power per cylinder; a negative one falls into the first row.
int injectorTableRow(int powerPerCylinder);
// The diameter in tenths of a millimetre of a row (0..7) and column (0..2); 0 outside the table.
int injectorTableTenthsMm(int row, int column);

// The recommendation, or an error and no diameter when an input is outside the ranges above.
InjectorSizeResult calculateInjectorSize(double powerHp, int cylinders, InjectionType type);

} // namespace tarvola
