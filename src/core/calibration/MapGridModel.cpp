#include "calibration/MapGridModel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "calibration/EditHistory.h"
#include "errors/IError.h"
#include "lang/translate.h"
#include "device/CLPGDevice.h"
#include "platform/IUserPrompt.h"
#include "platform/NumberText.h"
#include "settings/CDeviceSettings.h"

namespace tarvola {

namespace {

constexpr const char* kMapWriteFailed = "Nie powiodło się wpisanie mapy wtrysków do urządzenia!";
constexpr const char* kPositiveNumber = "Wprowadź dodatnią liczbę";

bool inside(int column, int row)
{
    return column >= 0 && column < kMapColumns && row >= 0 && row < kMapRows;
}

double clampPercent(double v)
{
    return std::clamp(v, static_cast<double>(kMapMinPercent), static_cast<double>(kMapMaxPercent));
}

// A percentage an edit carries as a magnitude: 0 … 50.
int magnitude(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, 0, kMapMaxPercent));
}

} // namespace

int mapPopupMenuResource(int languageId)
{
    switch (languageId) {
    case 0: return 133;
    case 9: return 136;
    case 6: return 137;
    case 11: return 138;
    case 10: return 139;
    case 2: return 140;
    case 4: return 141;
    case 3: return 142;
    case 7: return 143;
    default: return 135;
    }
}

bool acceptMapMagnitude(int& value, IUserPrompt& prompt)
{
    if (value < 0) {
        prompt.plain(translate(kPositiveNumber));
        return false;
    }
    value = magnitude(value);
    return true;
}

int acceptMapSetValue(int value)
{
    return std::clamp(value, kMapMinPercent, kMapMaxPercent);
}

OperatingPoint operatingPointOf(const CDiag& sample, const DiagContext& context)
{
    OperatingPoint point;
    point.rpm = diagValues(sample, context).rpm;
    const int entries = 2 * std::clamp(context.injectorCount, 0, diag::Cylinders);
    for (int k = 0; k < entries; ++k)
        point.timeMs = std::max(point.timeMs, entryPetrolMs(sample, k));
    return point;
}

CMapGridModel::CMapGridModel(CLPGDevice& device, ClockFn clock)
    : m_device(device), m_storeTimer(kStorePeriod, std::move(clock))
{
}

void CMapGridModel::loadFromRecord(const CDeviceSettings& settings)
{
    CBusyScope busy(m_device.prompt());
    for (int r = 0; r < kMapRows; ++r)
        for (int c = 0; c < kMapColumns; ++c)
            setCellValue(c, r, settings.m_injMapTable[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
}

void CMapGridModel::setCellValue(int column, int row, double value)
{
    if (!inside(column, row))
        return;
    Cell& cell = m_cells[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
    cell.filled = true;
    // The cell's value is the number its text shows ("%.0f"; never "nan" or "-0").
    cell.shown = parseFixedText(fixedText(value, 0)).value_or(0);
}

double CMapGridModel::cellValue(int column, int row) const
{
    if (!inside(column, row))
        return 0;
    return m_cells[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)].shown;
}

bool CMapGridModel::cellFilled(int column, int row) const
{
    return inside(column, row) && m_cells[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)].filled;
}

std::string CMapGridModel::cellText(int column, int row) const
{
    if (!cellFilled(column, row))
        return {};
    return fixedText(cellValue(column, row), 0) + "%";
}

Rgb CMapGridModel::cellColour(int column, int row) const
{
    return cellFilled(column, row) ? valueColour(cellValue(column, row)) : kUnfilledColour;
}

MapCell CMapGridModel::markOperatingPoint(double rpm, double timeMs)
{
    const bool halfMsRows = (m_device.m_settings.m_corrMap.m_flags & flags::HalfMsRows) != 0;
    return m_marker.moveTo(rpm, timeMs, halfMsRows);
}

bool CMapGridModel::refreshOperatingPoint()
{
    if (!m_device.isConnected())
        return false;
    CDiag sample;
    if (!m_device.diagData().newest(sample))
        return false;
    const OperatingPoint point = operatingPointOf(sample, m_device.diagData().context());
    markOperatingPoint(point.rpm, point.timeMs);
    return true;
}

MapEditOutcome CMapGridModel::onMapAdd(int value)
{
    return edit("CMapArray::onMapAdd()", Op::Add, magnitude(value), false);
}

MapEditOutcome CMapGridModel::onMapSubb(int value)
{
    return edit("CMapArray::onMapSubb()", Op::Subtract, magnitude(value), false);
}

MapEditOutcome CMapGridModel::onMapSet(int value)
{
    return edit("CMapArray::onMapSet()", Op::Set, acceptMapSetValue(value), false);
}

MapEditOutcome CMapGridModel::onMapClear()
{
    return edit("CMapArray::onMapClear()", Op::Clear, 0, false);
}

MapEditOutcome CMapGridModel::incrementSelected(int step)
{
    // A step is a key press (±1); anything larger still stays within what one byte may say.
    return edit("CMapArray::incrementSelected()", step > 0 ? Op::Add : Op::Subtract, magnitude(std::llabs(step)), true);
}

const char* CMapGridModel::stepName(Op op, int value)
{
    switch (op) {
    case Op::Add: return value == 1 ? "Mapa +1%" : "Dodaj do mapy";
    case Op::Subtract: return value == 1 ? "Mapa -1%" : "Odejmij od mapy";
    case Op::Set: return "Ustaw w mapie";
    case Op::Clear: return "Kasuj poprawki";
    }
    return "";
}

void CMapGridModel::recordStep(const char* name, std::vector<CellChange> cells)
{
    if (!m_history || cells.empty())
        return;
    m_history->record({name, [this, cells] { return replay(cells, true); },
                       [this, cells] { return replay(cells, false); }});
}

bool CMapGridModel::replay(const std::vector<CellChange>& cells, bool undoing)
{
    IUserPrompt& prompt = m_device.prompt();
    try {
        std::array<std::array<std::optional<double>, kMapColumns>, kMapRows> target{};
        for (const CellChange& cell : cells)
            target[static_cast<std::size_t>(cell.row)][static_cast<std::size_t>(cell.column)] =
                undoing ? cell.before : cell.after;
        const bool connected = m_device.isConnected();
        CBusyScope busy(prompt);
        // One "set" request per run of equal values along a row; the grid follows each run the
        // controller took, so grid and controller agree even when a later request fails.
        for (int r = 0; r < kMapRows; ++r) {
            const auto& row = target[static_cast<std::size_t>(r)];
            for (int c = 0; c < kMapColumns;) {
                if (!row[static_cast<std::size_t>(c)]) {
                    ++c;
                    continue;
                }
                const double v = *row[static_cast<std::size_t>(c)];
                int end = c + 1;
                while (end < kMapColumns && row[static_cast<std::size_t>(end)] == v)
                    ++end;
                // A value read from the controller may lie outside what a "set" can carry; it
                // goes back as near as the request allows.
                const int percent = static_cast<int>(std::lround(std::clamp(v, -100.0, 155.0)));
                if (connected &&
                    !m_device.editMapRange(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(c), 1,
                                           static_cast<std::uint8_t>(end - c), MapEdit::Set,
                                           static_cast<std::uint8_t>(percent + 100))) {
                    prompt.error(translate(kMapWriteFailed));
                    return false;
                }
                for (int k = c; k < end; ++k)
                    setCellValue(k, r, v);
                c = end;
            }
        }
        if (connected)
            m_storeTimer.restart();
        else if (m_device.isOffline())
            copyGridToRecord();
        return true;
    } catch (const IError& e) {
        prompt.errorBox(undoing ? "CMapArray::undo()" : "CMapArray::redo()", e);
        return false;
    }
}

double CMapGridModel::newValue(Op op, double old, int value)
{
    switch (op) {
    case Op::Add: return old + value;
    case Op::Subtract: return old - value;
    case Op::Set: return value;
    case Op::Clear: return 0;
    }
    return old;
}

MapEditOutcome CMapGridModel::edit(const char* handler, Op op, int value, bool reportFailure)
{
    IUserPrompt& prompt = m_device.prompt();
    try {
        const std::optional<MapRect> rect = m_selection.rectangle();
        if (!rect)
            return MapEditOutcome::NoSelection;

        // The grid works out every selected cell on its own, from what it shows; the controller
        // applies the same operation to its copy with its own clamping.
        std::vector<CellChange> changes;
        for (int c = 0; c < kMapColumns; ++c)
            for (int r = 0; r < kMapRows; ++r)
                if (m_selection.isSelected(c, r)) {
                    const double before = cellValue(c, r);
                    setCellValue(c, r, clampPercent(newValue(op, before, value)));
                    changes.push_back({c, r, before, cellValue(c, r)});
                }
        recordStep(stepName(op, value), std::move(changes));

        if (m_device.isOffline()) {
            copyGridToRecord();
            return MapEditOutcome::RecordOnly;
        }
        if (!m_device.isConnected())
            return MapEditOutcome::GridOnly;

        // Add and subtract carry the magnitude, set carries the percentage + 100, clear nothing.
        MapEdit operation = MapEdit::Zero;
        std::uint8_t byte = 0;
        switch (op) {
        case Op::Add:
            operation = MapEdit::Add;
            byte = static_cast<std::uint8_t>(value);
            break;
        case Op::Subtract:
            operation = MapEdit::Subtract;
            byte = static_cast<std::uint8_t>(value);
            break;
        case Op::Set:
            operation = MapEdit::Set;
            byte = static_cast<std::uint8_t>(value + 100);
            break;
        case Op::Clear: break;
        }

        bool sent = false;
        {
            CBusyScope busy(prompt);
            sent = m_device.editMapRange(static_cast<std::uint8_t>(rect->firstRow),
                                         static_cast<std::uint8_t>(rect->firstColumn),
                                         static_cast<std::uint8_t>(rect->rows),
                                         static_cast<std::uint8_t>(rect->columns), operation, byte);
        }
        if (sent) {
            m_storeTimer.restart();
            return MapEditOutcome::Sent;
        }
        if (reportFailure)
            prompt.error(translate(kMapWriteFailed));
        return MapEditOutcome::SendFailed;
    } catch (const IError& e) {
        prompt.errorBox(handler, e);
        return MapEditOutcome::Raised;
    }
}

MapStoreOutcome CMapGridModel::onStoreTimer()
{
    m_storeTimer.stop();
    IUserPrompt& prompt = m_device.prompt();
    try {
        CBusyScope busy(prompt);
        if (!m_device.isConnected())
            return MapStoreOutcome::NotConnected;
        if (!m_device.storeMap())
            return MapStoreOutcome::Failed;
        copyGridToRecord();
        return MapStoreOutcome::Stored;
    } catch (const IError& e) {
        // A timer handler must not let the error reach the event loop.
        prompt.errorBox("CMapArray::OnTimer()", e);
        return MapStoreOutcome::Raised;
    }
}

void CMapGridModel::copyGridToRecord()
{
    auto& table = m_device.m_settings.m_injMapTable;
    for (int r = 0; r < kMapRows; ++r)
        for (int c = 0; c < kMapColumns; ++c)
            table[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = clampPercent(cellValue(c, r));
    m_device.noteChange(DeviceChange::of(DeviceChange::Map));
}

bool CMapGridModel::tick()
{
    if (!m_storeTimer.tick())
        return false;
    onStoreTimer();
    return true;
}

} // namespace tarvola
