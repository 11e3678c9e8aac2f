#include "settings/SettingsPages.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "settings/Conversions.h"

namespace tarvola {

// ---- value lists ----

std::vector<PageItem> valueRange(double first, double last, double step, int decimals)
{
    std::vector<PageItem> items;
    if (!(step > 0) || !std::isfinite(first) || !std::isfinite(last))
        return items;
    // Counting by index keeps 0.1 steps exact: 20 × 0.1 accumulated is 1.9999999999999998, which
    // would drop the last item of "0.0 to 2.0".
    for (int i = 0;; ++i) {
        const double v = roundHalfAway(first + i * step, decimals > 2 ? 2 : decimals);
        if (v > last + step / 1000)
            break;
        items.push_back({v, decimals, nullptr});
    }
    return items;
}

std::string formatItemValue(double value, int decimals)
{
    char buf[64];
    const int d = decimals < 0 ? 0 : (decimals > 3 ? 3 : decimals);
    const double r = d <= 2 ? roundHalfAway(value, d) : value;
    if (d == 0)
        std::snprintf(buf, sizeof buf, "%d", static_cast<int>(std::isfinite(r) ? r : 0));
    else
        std::snprintf(buf, sizeof buf, "%.*f", d, r);
    return buf;
}

bool itemMatches(const PageItem& item, double value)
{
    if (!std::isfinite(value))
        return false;
    const int d = item.decimals > 2 ? 2 : item.decimals;
    return roundHalfAway(value, d) == item.value;
}

const SettingControl* SettingsPage::find(int id) const
{
    for (const auto& c : controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

// ---- the rules behind the controls ----

namespace {
std::uint8_t channelMask(std::int32_t injectorCount)
{
    return injectorCount == 4 ? 0x0F : (injectorCount == 6 ? 0x3F : 0xFF);
}
} // namespace

std::array<std::uint8_t, 8> channelPattern(int type, std::int32_t injectorCount)
{
    static constexpr std::array<std::array<std::uint8_t, 8>, 3> kPatterns{{
        {1, 2, 4, 8, 16, 32, 64, 128},
        {85, 170, 0, 0, 0, 0, 0, 0},
        {255, 0, 0, 0, 0, 0, 0, 0},
    }};
    std::array<std::uint8_t, 8> out = kPatterns[type >= 0 && type <= 2 ? type : 0];
    for (auto& b : out)
        b &= channelMask(injectorCount);
    return out;
}

int channelPatternType(const std::array<std::uint8_t, 8>& bytes, std::int32_t injectorCount)
{
    const std::uint8_t mask = channelMask(injectorCount);
    const std::int32_t n = injectorCount < 0 ? 0 : (injectorCount > 8 ? 8 : injectorCount);
    for (int type : {0, 2, 1}) {
        const auto pattern = channelPattern(type, injectorCount);
        bool same = true;
        for (std::int32_t i = 0; i < n && same; ++i)
            same = static_cast<std::uint8_t>(bytes[i] & mask) == pattern[i];
        if (same)
            return type;
    }
    return -1;
}

InjectorPreset injectorPreset(int injectorType)
{
    switch (injectorType) {
    case 1: case 17: case 6: case 10: return {50, 4.0, 2.0};
    case 15: case 16: case 12: return {35, 3.0, 1.5};
    case 9: case 18: case 19: return {35, 3.0, 1.0};
    case 5: return {35, 2.0, 0.5};
    case 4: return {40, 3.5, 1.2};
    case 2: return {40, 3.0, 1.0};
    default: return {35, 4.0, 1.5};
    }
}

bool fuelSensorPreset(int sensorType, FuelSensorPreset& out)
{
    switch (sensorType) {
    case 0: out = {1, 1, {45, 140, 180, 230}}; return true;
    case 1: out = {0, 0, {130, 126, 117, 114}}; return true;
    case 3: out = {2, 1, {70, 120, 170, 220}}; return true;
    case 4: out = {2, 0, {220, 170, 120, 70}}; return true;
    case 5: out = {1, 0, {230, 180, 140, 45}}; return true;
    case 6: out = {0, 1, {114, 117, 126, 130}}; return true;
    default: return false;
    }
}

int fuelLampsLit(std::uint8_t level, const CSensorsSetup& s)
{
    int r = level, full = s.m_fuelFull, hgw = s.m_fuelHgw, half = s.m_fuelHalf, quarter = s.m_fuelQuarter;
    if (full < hgw) {
        r = 255 - r;
        full = 255 - full;
        hgw = 255 - hgw;
        half = 255 - half;
        quarter = 255 - quarter;
    }
    if (r > full)
        return 4;
    if (r > hgw)
        return 3;
    if (r > half)
        return 2;
    if (r > quarter)
        return 1;
    return 0;
}

} // namespace tarvola

namespace tarvola {
bool advancedPasswordMatches(std::string_view entry)
{
    return entry == "quorintal583";
}
} // namespace tarvola
