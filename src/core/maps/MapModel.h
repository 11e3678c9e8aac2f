#pragma once
// The correction map as plain rules: its axes and labels, the cell of an operating point, the colour
// of a cell value, the selection grid with the rectangle that edits act on, and the marker that
// follows the engine. The grid window only draws what these say.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tarvola {

constexpr int kMapColumns = 15; // engine speed bands of 500 rpm
constexpr int kMapRows = 19;    // petrol injection time bands of 1 ms (or 0.5 ms)

struct MapCell {
    int column = 0;
    int row = 0;
    bool operator==(const MapCell&) const = default;
};

// The cell an engine runs in: column trunc(rpm / 500 − 1), row trunc(floor(t) − 1), each clamped to
// the map; with half-millisecond rows the time is doubled first.
MapCell cellForOperatingPoint(double rpm, double timeMs, bool halfMsRows);

// Labels: columns "500" … "7500" (lower bound of the band), rows "< 2", "3" … "20" (upper bound).
std::string mapColumnLabel(int column);
std::string mapRowLabel(int row);
constexpr const char* kMapCornerLabel = "ms\\RPM";

// Settings-file keys: cell (r, c) is filed under the upper bounds of its bands, m_injMapTable[r + 2]
// [500 × c + 1000]; the command line names rows and speeds the same way.
constexpr int kMapFirstRowKey = 2;
constexpr int kMapFirstRpmKey = 1000;
constexpr int kMapRpmKeyStep = 500;
constexpr int mapRowKey(int row) { return row + kMapFirstRowKey; }
constexpr int mapRpmKey(int column) { return kMapFirstRpmKey + kMapRpmKeyStep * column; }
// The row or column a key names; nothing for a key that names none.
std::optional<int> mapRowOfKey(int rowKey);
std::optional<int> mapColumnOfRpmKey(int rpmKey);

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

// Background of a cell holding v percent: white at 0, towards red for positive values, towards yellow
// for negative ones. Values beyond ±51 (a controller's map may hold −100 … +155) keep the colour of
// the end of the scale instead of wrapping around.
Rgb valueColour(double percent);

// The rectangle an edit acts on.
struct MapRect {
    int firstRow = 0;
    int firstColumn = 0;
    int rows = 0;
    int columns = 0;
    bool operator==(const MapRect&) const = default;
};

// Which body cells are selected, and the rules of selecting them.
class MapSelection {
public:
    bool isSelected(int column, int row) const;
    void set(int column, int row, bool selected);
    void clear();
    // A press on a body cell toggles it and deselects every other cell.
    void press(int column, int row);
    // Dragging from the pressed cell selects the cells from it to (column, row), growing only to
    // the right and downwards; everything else is deselected.
    void dragTo(int pressColumn, int pressRow, int column, int row);
    bool any() const;
    // The rectangle of the selection: the first selected cell in column-then-row order, and the runs of
    // selected cells to its right along its row and below it down its column. Empty without selection.
    std::optional<MapRect> rectangle() const;

private:
    std::array<std::array<bool, kMapRows>, kMapColumns> m_selected{};
};

// The marker of the cell the engine is running in; it starts at column 0, row 0.
class OperatingPointMarker {
public:
    MapCell cell() const { return m_cell; }
    // Moves the marker; returns the cell that carried it before (it gets its value colour back).
    MapCell moveTo(double rpm, double timeMs, bool halfMsRows);

private:
    MapCell m_cell;
};

} // namespace tarvola
