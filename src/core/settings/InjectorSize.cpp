#include "settings/InjectorSize.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace tarvola {

namespace {
// Upper bound (inclusive) of each row's power per cylinder; the last row is open-ended.
constexpr std::array<int, 7> kRowUpperHp{17, 24, 32, 40, 48, 56, 64};
constexpr int kTableRows = static_cast<int>(kRowUpperHp.size()) + 1;
constexpr int kTableColumns = 3;
// Every row starts 0.3 mm above the previous one and its columns step by 0.1 mm: 1.8 / 1.9 / 2.0,
// 2.1 / 2.2 / 2.3, ... 3.9 / 4.0 / 4.1.
constexpr int kFirstTenthsMm = 18;
} // namespace

const char* injectionTypeText(InjectionType type)
{
    switch (type) {
    case InjectionType::Sequential:
        return "Sekwencja";
    case InjectionType::SemiSequential:
        return "Półsekwencja";
    case InjectionType::FullGroup:
        return "Full group";
    }
    return "";
}

std::optional<InjectionType> injectionTypeFromValue(int value)
{
    if (value < 0 || value >= static_cast<int>(kInjectionTypes.size()))
        return std::nullopt;
    return kInjectionTypes[static_cast<std::size_t>(value)];
}

std::optional<InjectionType> parseInjectionType(std::string_view name)
{
    if (name == "seq")
        return InjectionType::Sequential;
    if (name == "semi")
        return InjectionType::SemiSequential;
    if (name == "full")
        return InjectionType::FullGroup;
    return std::nullopt;
}

double parsePowerText(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t'))
        ++start;
    text.remove_prefix(start);
    // from_chars would take a sign, "inf" or an exponent; the power text is plain digits.
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return 0;
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    (void)end;
    if (ec == std::errc::result_out_of_range)
        return std::numeric_limits<double>::infinity();
    return ec == std::errc{} ? value : 0;
}

int stepPower(int hp, int step)
{
    const long long next = static_cast<long long>(hp) + step;
    return next < kMinSpinPowerHp || next > kMaxSpinPowerHp ? hp : static_cast<int>(next);
}

std::string InjectorSizeResult::text() const
{
    if (!ok())
        return {};
    return std::to_string(diameterTenthsMm / 10) + '.' + std::to_string(diameterTenthsMm % 10);
}

int injectorTableRow(int powerPerCylinder)
{
    int row = 0;
    while (row < kTableRows - 1 && powerPerCylinder > kRowUpperHp[static_cast<std::size_t>(row)])
        ++row;
    return row;
}

int injectorTableTenthsMm(int row, int column)
{
    if (row < 0 || row >= kTableRows || column < 0 || column >= kTableColumns)
        return 0;
    return kFirstTenthsMm + kTableColumns * row + column;
}

InjectorSizeResult calculateInjectorSize(double powerHp, int cylinders, InjectionType type)
{
    InjectorSizeResult result;
    if (cylinders < kMinCylinders || cylinders > kMaxCylinders)
        result.error = InjectorSizeError::BadCylinders;
    else if (!(powerHp >= 0 && powerHp <= kMaxPowerHp)) // NaN fails both comparisons
        result.error = InjectorSizeError::BadPower;
    else if (!injectionTypeFromValue(static_cast<int>(type)))
        result.error = InjectorSizeError::BadType;
    if (!result.ok())
        return result;

    // Bounded above, so the whole horsepower per cylinder fits an int.
    result.powerPerCylinder = static_cast<int>(std::floor(powerHp / cylinders));
    result.row = injectorTableRow(result.powerPerCylinder);
    // Sequential takes the widest column, full group the narrowest.
    result.column = kTableColumns - 1 - static_cast<int>(type);
    result.diameterTenthsMm = injectorTableTenthsMm(result.row, result.column);
    return result;
}

} // namespace tarvola
