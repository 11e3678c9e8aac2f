#include "calibration/MapCompare.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "calibration/MapGridModel.h"
#include "settings/CDeviceSettings.h"
#include "settings/Conversions.h"

namespace tarvola {

namespace {

// The full tints: orange where the controller adds more than the file, blue where it adds less.
// Both stay light enough for black text.
constexpr Rgb kMore{255, 150, 30};
constexpr Rgb kLess{70, 140, 255};

std::uint8_t towards(std::uint8_t to, double share)
{
    return static_cast<std::uint8_t>(roundHalfAway(255.0 + (to - 255.0) * share));
}

Rgb differenceColour(int percent)
{
    const double share = std::min(1.0, std::abs(percent) / static_cast<double>(kMapDifferenceSaturation));
    const Rgb end = percent > 0 ? kMore : kLess;
    return {towards(end.red, share), towards(end.green, share), towards(end.blue, share)};
}

double finiteOrZero(double v)
{
    return std::isfinite(v) ? v : 0.0;
}

} // namespace

MapDifference mapDifference(double controller, double file)
{
    // Both values lie within −100 … +155 in practice; the clamp only keeps the cast defined for a
    // file that says otherwise.
    const double d = roundHalfAway(finiteOrZero(controller) - finiteOrZero(file));
    MapDifference diff;
    diff.percent = static_cast<int>(std::clamp(d, -1000.0, 1000.0));
    if (diff.percent > 0)
        diff.text = "+" + std::to_string(diff.percent);
    else if (diff.percent < 0)
        diff.text = "\u2212" + std::to_string(-diff.percent);
    else
        diff.text = "0";
    diff.colour = differenceColour(diff.percent);
    return diff;
}

MapDifference cellDifference(const CMapGridModel& grid, const CDeviceSettings& file, int column, int row)
{
    if (column < 0 || column >= kMapColumns || row < 0 || row >= kMapRows)
        return {};
    return mapDifference(grid.cellValue(column, row),
                         file.m_injMapTable[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]);
}

int differingCells(const CMapGridModel& grid, const CDeviceSettings& file)
{
    int n = 0;
    for (int c = 0; c < kMapColumns; ++c)
        for (int r = 0; r < kMapRows; ++r)
            if (cellDifference(grid, file, c, r).percent != 0)
                ++n;
    return n;
}

} // namespace tarvola
