// The nozzle recommendation: the row boundaries with the power per cylinder rounded down, the
// column of each injection type, the power text, the spin range and the inputs that get no result.

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <tuple>

#include "settings/InjectorSize.h"

using namespace tarvola;

TEST(InjectorSize, RowByPowerPerCylinderRoundedDownAndColumnByType)
{
    using T = InjectionType;
    const std::tuple<double, int, T, int, const char*> cases[] = {
        {100, 4, T::Sequential, 25, "2.6"},    {150, 6, T::FullGroup, 25, "2.4"},
        {150, 6, T::SemiSequential, 25, "2.5"},
        {99.9, 4, T::Sequential, 24, "2.3"}, // 24.975 must not round up into the next row
        {71.99, 4, T::FullGroup, 17, "1.8"},   {72, 4, T::FullGroup, 18, "2.1"},
        {0, 4, T::Sequential, 0, "2.0"},       {64 * 8, 8, T::Sequential, 64, "3.8"},
        {65 * 3, 3, T::Sequential, 65, "4.1"}, {500, 3, T::FullGroup, 166, "3.9"},
        {kMaxPowerHp, kMinCylinders, T::Sequential, 10000, "4.1"},
    };
    for (const auto& [hp, cylinders, type, perCylinder, text] : cases) {
        const auto r = calculateInjectorSize(hp, cylinders, type);
        ASSERT_TRUE(r.ok()) << hp << " HP";
        EXPECT_EQ(r.powerPerCylinder, perCylinder) << hp << " HP";
        EXPECT_EQ(r.text(), text) << hp << " HP / " << cylinders;
    }
    // Every row's first power per cylinder, and no cell outside the table.
    const int firstOfRow[] = {18, 25, 33, 41, 49, 57, 65};
    for (int row = 1; row < 8; ++row) {
        EXPECT_EQ(injectorTableRow(firstOfRow[row - 1]), row);
        EXPECT_EQ(injectorTableRow(firstOfRow[row - 1] - 1), row - 1);
    }
    EXPECT_EQ(injectorTableTenthsMm(8, 0), 0);
    EXPECT_EQ(injectorTableTenthsMm(0, 3), 0);
}

TEST(InjectorSize, InvalidInputsGiveNoResult)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    using E = InjectorSizeError;
    const std::tuple<double, int, int, E> cases[] = {
        {100, 0, 0, E::BadCylinders}, // no cylinder entry chosen: no division by zero
        {100, -4, 0, E::BadCylinders}, {100, kMaxCylinders + 1, 0, E::BadCylinders},
        {-1, 4, 0, E::BadPower},       {nan, 4, 0, E::BadPower},
        {inf, 4, 0, E::BadPower},      {kMaxPowerHp + 1, 4, 0, E::BadPower},
        {100, 4, 3, E::BadType},
    };
    for (const auto& [hp, cylinders, type, error] : cases) {
        const auto r = calculateInjectorSize(hp, cylinders, static_cast<InjectionType>(type));
        EXPECT_EQ(r.error, error) << hp << " HP / " << cylinders << " / " << type;
        EXPECT_EQ(r.text(), "");
    }
}

TEST(InjectorSize, TypeNamesPowerTextAndSpinRange)
{
    EXPECT_EQ(parseInjectionType("seq"), InjectionType::Sequential);
    EXPECT_EQ(parseInjectionType("semi"), InjectionType::SemiSequential);
    EXPECT_EQ(parseInjectionType("full"), InjectionType::FullGroup);
    for (const char* bad : {"", "Seq", "sequential", "0", "full "})
        EXPECT_EQ(parseInjectionType(bad), std::nullopt) << bad;

    const std::pair<const char*, double> texts[] = {
        {"100", 100}, {" 120.5 KM", 120.5}, {"75hp", 75}, {"abc", 0}, {"", 0},
        {"-90", 0},   {"+90", 0},           {"1e3", 1},   {".5", 0},
    };
    for (const auto& [text, hp] : texts)
        EXPECT_DOUBLE_EQ(parsePowerText(text), hp) << '"' << text << '"';
    EXPECT_FALSE(calculateInjectorSize(parsePowerText(std::string(400, '9')), 4, InjectionType::Sequential).ok());

    const std::array<int, 3> steps[] = {{100, 1, 101}, {31, -1, 30}, {30, -1, 30}, {500, 1, 500}, {499, 1, 500},
                                        {100, std::numeric_limits<int>::max(), 100}};
    for (const auto& [power, step, result] : steps)
        EXPECT_EQ(stepPower(power, step), result) << power << " " << step;
}
