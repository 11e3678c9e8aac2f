#include "maps/MapModel.h"

#include <algorithm>
#include <cmath>

namespace tarvola {

namespace {
int clampIndex(double index, int count)
{
    if (std::isnan(index))
        return 0;
    const double t = std::trunc(index);
    return static_cast<int>(std::clamp(t, 0.0, static_cast<double>(count - 1)));
}

bool inside(int column, int row)
{
    return column >= 0 && column < kMapColumns && row >= 0 && row < kMapRows;
}

std::uint8_t channel(double value)
{
    return static_cast<std::uint8_t>(std::clamp(std::trunc(value), 0.0, 255.0));
}
} // namespace

MapCell cellForOperatingPoint(double rpm, double timeMs, bool halfMsRows)
{
    const double t = halfMsRows ? timeMs * 2 : timeMs;
    return {clampIndex(rpm / 500.0 - 1.0, kMapColumns), clampIndex(std::floor(t) - 1.0, kMapRows)};
}

std::string mapColumnLabel(int column)
{
    return std::to_string(500 * (std::clamp(column, 0, kMapColumns - 1) + 1));
}

std::string mapRowLabel(int row)
{
    const int r = std::clamp(row, 0, kMapRows - 1);
    return r == 0 ? "< 2" : std::to_string(r + 2);
}

Rgb valueColour(double v)
{
    if (std::isnan(v))
        v = 0;
    if (v >= 0)
        return {255, channel(255 - 5 * v), channel(255 - 5 * v)};
    return {255, 255, channel(255 + 5 * v)};
}

bool MapSelection::isSelected(int column, int row) const
{
    return inside(column, row) && m_selected[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
}

void MapSelection::set(int column, int row, bool selected)
{
    if (inside(column, row))
        m_selected[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)] = selected;
}

void MapSelection::clear()
{
    for (auto& col : m_selected)
        col.fill(false);
}

void MapSelection::press(int column, int row)
{
    const bool was = isSelected(column, row);
    clear();
    set(column, row, !was);
}

void MapSelection::dragTo(int pressColumn, int pressRow, int column, int row)
{
    clear();
    for (int c = pressColumn; c <= column; ++c)
        for (int r = pressRow; r <= row; ++r)
            set(c, r, true);
}

bool MapSelection::any() const
{
    return rectangle().has_value();
}

std::optional<MapRect> MapSelection::rectangle() const
{
    for (int c = 0; c < kMapColumns; ++c) {
        for (int r = 0; r < kMapRows; ++r) {
            if (!isSelected(c, r))
                continue;
            MapRect rect{r, c, 0, 0};
            for (int cc = c; cc < kMapColumns && isSelected(cc, r); ++cc)
                ++rect.columns;
            for (int rr = r; rr < kMapRows && isSelected(c, rr); ++rr)
                ++rect.rows;
            return rect;
        }
    }
    return std::nullopt;
}

MapCell OperatingPointMarker::moveTo(double rpm, double timeMs, bool halfMsRows)
{
    const MapCell previous = m_cell;
    m_cell = cellForOperatingPoint(rpm, timeMs, halfMsRows);
    return previous;
}

std::optional<int> mapRowOfKey(int rowKey)
{
    const int row = rowKey - kMapFirstRowKey;
    return row >= 0 && row < kMapRows ? std::optional<int>(row) : std::nullopt;
}

std::optional<int> mapColumnOfRpmKey(int rpmKey)
{
    const int offset = rpmKey - kMapFirstRpmKey;
    if (offset < 0 || offset % kMapRpmKeyStep != 0 || offset / kMapRpmKeyStep >= kMapColumns)
        return std::nullopt;
    return offset / kMapRpmKeyStep;
}

} // namespace tarvola
