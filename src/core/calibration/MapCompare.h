#pragma once
// "Compare with a file" on the map page: each cell shows the controller's value minus the settings
// file's, as a signed whole percentage tinted by its size. Nothing here writes anything.

#include <string>

#include "maps/MapModel.h"

namespace tarvola {

class CMapGridModel;
struct CDeviceSettings;

// From this size on (either sign) a difference has the full tint.
constexpr int kMapDifferenceSaturation = 20;

struct MapDifference {
    int percent = 0;  // controller − file, rounded half away from zero
    std::string text; // "+3", "−2" (a true minus sign), "0"
    Rgb colour;       // white at 0; towards orange where the controller holds more, blue where less
    bool operator==(const MapDifference&) const = default;
};

// The difference of one cell from its two values. A value that is not finite counts as 0.
MapDifference mapDifference(double controller, double file);

// Cell (column, row) of the grid against m_injMapTable[row][column] of the file; a cell outside the
// map gives the empty difference.
MapDifference cellDifference(const CMapGridModel& grid, const CDeviceSettings& file, int column, int row);

// How many cells show a difference other than 0.
int differingCells(const CMapGridModel& grid, const CDeviceSettings& file);

} // namespace tarvola
