#pragma once
// The correction map as the map page shows and edits it: the 15 × 19 cell values, the selection, the
// operating-point marker, the block edits that go to the controller as one range request, and the
// store timer that makes the controller keep its map a second after the last edit. The grid window
// draws what this model says and forwards mouse, key, menu and timer events to it.
//
// The model talks to the controller through the device it is given and to the user through that
// device's prompt. It never lets an error object escape: each operation catches it and shows the
// operation's name and the error's description in a plain box.

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "maps/MapModel.h"
#include "monitor/CDiag.h"
#include "monitor/DiagValues.h"
#include "platform/Clock.h"
#include "platform/DeadlineTimer.h"

namespace tarvola {

class CEditHistory;
class CLPGDevice;
class IUserPrompt;
struct CDeviceSettings;

// Every value an edit made on the PC produces lies in this range.
constexpr int kMapMinPercent = -50;
constexpr int kMapMaxPercent = 50;

// Popup-menu command numbers of the grid.
constexpr int kMapCmdAdd = 32785;
constexpr int kMapCmdSubtract = 32786;
constexpr int kMapCmdClear = 32787;
constexpr int kMapCmdSet = 32788;

// The popup menu resource of the map grid for a language id: Polish 133, English (and any language
// without a menu of its own) 135, the others their own.
int mapPopupMenuResource(int languageId);

// ---- the value dialogs' acceptance rules ----

// "Dodaj..." and "Odejmij...": a negative percentage is refused with "Wprowadź dodatnią liczbę"
// (a plain box through `prompt`, the dialog stays open, false returned); above 50 becomes 50.
// On true `value` holds what the dialog shows and hands to the operation.
bool acceptMapMagnitude(int& value, IUserPrompt& prompt);
// "Ustaw...": any number, clamped to −50..50.
int acceptMapSetValue(int value);

// ---- the live operating point ----

struct OperatingPoint {
    double rpm = 0;
    double timeMs = 0;
    bool operator==(const OperatingPoint&) const = default;
};

// The operating point of a live sample: engine speed 4 800 000 / period count (0 for a count of 0),
// and the largest petrol time of the 2 × injector-count entries (each count × 0.025 ms rounded to
// 0.01). The injector count is taken from the context and bounded to the eight cylinders a sample
// carries; with no injectors the time is 0.
OperatingPoint operatingPointOf(const CDiag& sample, const DiagContext& context);

// How an edit ended, for the window and the tests.
enum class MapEditOutcome {
    NoSelection, // nothing selected: nothing happened
    GridOnly,    // grid changed; no controller connected, nothing sent
    RecordOnly,  // working offline on a settings file: grid and record changed, nothing sent
    Sent,        // grid changed and the controller took the range request; the store timer runs
    SendFailed,  // grid changed, the controller did not take the request; no store scheduled
    Raised,      // an error object stopped the operation (shown to the user)
};

enum class MapStoreOutcome {
    NotConnected, // nothing sent
    Failed,       // storeMap not acknowledged, record unchanged (no message)
    Stored,       // controller keeps its map; the record holds the grid
    Raised,       // an error object stopped it (shown to the user)
};

class CMapGridModel {
public:
    static constexpr std::chrono::milliseconds kStorePeriod{1000};

    // `device` must outlive the model. `clock` drives the store timer (tests move it by hand).
    explicit CMapGridModel(CLPGDevice& device, ClockFn clock = [] { return SteadyClock::now(); });

    // ---- cells ----
    // Page activation: every cell (row r, column c) takes m_injMapTable[r][c].
    void loadFromRecord(const CDeviceSettings& settings);
    // Shows v in the cell as a whole percentage ("%.0f%%"); the cell's value becomes the number shown.
    // Out-of-range indices are ignored.
    void setCellValue(int column, int row, double value);
    // The number the cell shows; 0 for a cell not filled yet or outside the map.
    double cellValue(int column, int row) const;
    // The cell's text: "12%", "-5%"; empty until the cell is filled.
    std::string cellText(int column, int row) const;
    bool cellFilled(int column, int row) const;
    // Background: valueColour of the value, or the grey of an unfilled cell.
    Rgb cellColour(int column, int row) const;
    static constexpr Rgb kUnfilledColour{200, 190, 190};

    // ---- selection ----
    MapSelection& selection() { return m_selection; }
    const MapSelection& selection() const { return m_selection; }
    bool hasSelection() const { return m_selection.any(); }

    // ---- operating-point marker ----
    MapCell markedCell() const { return m_marker.cell(); }
    bool isMarked(int column, int row) const { return m_marker.cell() == MapCell{column, row}; }
    // Moves the marker to the cell of (rpm, t), with half-millisecond rows when bit 0 of
    // m_corrMap.m_flags is set. Returns the cell that carried it before, for redrawing.
    MapCell markOperatingPoint(double rpm, double timeMs);
    // The page's refresh tick: while connected, moves the marker to the operating point of the newest
    // live sample. False (marker unmoved) when not connected or no sample has arrived yet.
    bool refreshOperatingPoint();

    // ---- edits (the popup menu and the Page Up / Page Down keys) ----
    // The window shows the value dialog only when hasSelection(), and calls these with the accepted
    // value. Every new cell value is clamped to −50..50; the range request carries the selection's
    // rectangle. A value outside what the dialog accepts is brought into its range first.
    MapEditOutcome onMapAdd(int value);
    MapEditOutcome onMapSubb(int value);
    MapEditOutcome onMapSet(int value);
    MapEditOutcome onMapClear();
    // Page Up: +1, Page Down: −1. A positive step goes as "add step", any other as "subtract |step|".
    // Only this path tells the user when the controller did not take the request.
    MapEditOutcome incrementSelected(int step);

    // ---- undo ----
    // Every edit of the grid goes into `history` (null: none) as a step that sets the cells it
    // changed back, or forward again, with one range request per run of equal values in a row.
    void setHistory(CEditHistory* history) { m_history = history; }

    // ---- store timer ----
    const DeadlineTimer& storeTimer() const { return m_storeTimer; }
    // Timer expiry: storeMap, then the record takes the grid (clamped to −50..50).
    MapStoreOutcome onStoreTimer();
    // Runs onStoreTimer when the store timer is due; true when it ran.
    bool tick();

private:
    enum class Op { Add, Subtract, Set, Clear };
    struct CellChange {
        int column = 0;
        int row = 0;
        double before = 0;
        double after = 0;
    };
    // Shows the cells' old or new values and, when connected, sends them as "set" range requests;
    // true when every request was taken (the store timer then runs) or no controller is connected.
    bool replay(const std::vector<CellChange>& cells, bool undoing);
    void recordStep(const char* name, std::vector<CellChange> cells);
    // The grid becomes the record's map, announced as a map change.
    void copyGridToRecord();
    MapEditOutcome edit(const char* handler, Op op, int value, bool reportFailure);
    static double newValue(Op op, double old, int value);
    static const char* stepName(Op op, int value);

    struct Cell {
        bool filled = false;
        double shown = 0; // the number of the cell's text
    };

    CLPGDevice& m_device;
    std::array<std::array<Cell, kMapRows>, kMapColumns> m_cells{}; // [column][row]
    MapSelection m_selection;
    OperatingPointMarker m_marker;
    DeadlineTimer m_storeTimer;
    CEditHistory* m_history = nullptr;
};

} // namespace tarvola
