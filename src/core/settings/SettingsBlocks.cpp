#include "settings/SettingsBlocks.h"

#include <cstddef>

namespace tarvola {

namespace {
const SettingsBlockLayout kLayouts[] = {
    {7, 3, 3, 28, "base"},
    {8, 4, 4, 21, "adv"},
    {34, 26, 26, 30, "advancedSetup"},
    {22, 15, 15, 16, "mainCorr"},
    {12, 7, 7, 42, "setupTimes"},
    {14, 9, 9, 28, "sensorsSetup"},
    {27, 18, 18, 12, "obdConnection"},
    {35, 27, 27, 18, "obdCorrection"},
};
} // namespace

const SettingsBlockLayout& layoutOf(SettingsBlock block)
{
    return kLayouts[static_cast<std::size_t>(block)];
}

} // namespace tarvola
