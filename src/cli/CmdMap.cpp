// tarvola-cli map: the correction map as the controller keeps it, one range edit of it (add, sub,
// set, clear) made the way the map page makes it, and erasing a point map.
//
// Rows and columns are named by their settings-file keys, m_injMapTable[ROW][RPM]: ROW 2..20 is
// row ROW − 2 (the upper end of its injection-time band in ms), RPM 1000..8000 in steps of 500 is
// column RPM / 500 − 2 (the upper end of its engine-speed band). The printed grid uses the same
// names, so what is printed can be typed back.

#include <charconv>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "CliCommands.h"
#include "Json.h"
#include "calibration/MapGridModel.h"
#include "platform/NumberText.h"

namespace tarvola::cli {

namespace {

int rowKey(int row) { return mapRowKey(row); }
int rpmKey(int column) { return mapRpmKey(column); }

enum class MapOp { Add, Sub, Set, Clear };

struct Span {
    int first = 0;
    int last = 0;
};

struct MapEditArgs {
    MapOp op = MapOp::Clear;
    int value = 0;
    Span rows;    // row indices
    Span columns; // column indices
};

std::optional<int> wholeNumber(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size())
        return std::nullopt;
    return v;
}

// "A..B" or "A" (meaning A..A).
std::optional<Span> spanOf(const std::string& text)
{
    const auto dots = text.find("..");
    const auto first = wholeNumber(std::string_view(text).substr(0, dots));
    const auto last = dots == std::string::npos ? first : wholeNumber(std::string_view(text).substr(dots + 2));
    if (!first || !last || *first > *last)
        return std::nullopt;
    return Span{*first, *last};
}

std::optional<Span> rowsOf(const std::string& text)
{
    const auto keys = spanOf(text);
    const auto first = keys ? mapRowOfKey(keys->first) : std::nullopt;
    const auto last = keys ? mapRowOfKey(keys->last) : std::nullopt;
    if (!first || !last)
        return std::nullopt;
    return Span{*first, *last};
}

std::optional<Span> columnsOf(const std::string& text)
{
    const auto keys = spanOf(text);
    const auto first = keys ? mapColumnOfRpmKey(keys->first) : std::nullopt;
    const auto last = keys ? mapColumnOfRpmKey(keys->last) : std::nullopt;
    if (!first || !last)
        return std::nullopt;
    return Span{*first, *last};
}

// The value an operation takes, by the value dialogs' rules; on the command line a value the dialog
// would quietly lower or clamp is refused instead, so a script never edits by less than it says.
bool valueAccepted(MapOp op, int value)
{
    if (op == MapOp::Set)
        return acceptMapSetValue(value) == value;
    CSilentPrompt silent;
    int accepted = value;
    return acceptMapMagnitude(accepted, silent) && accepted == value;
}

// Checks the whole command line of an edit; false with the reason on `err`.
bool parseEdit(const std::vector<std::string>& args, MapEditArgs& out, std::ostream& err)
{
    const std::string& verb = args[0];
    out.op = verb == "add" ? MapOp::Add : verb == "sub" ? MapOp::Sub : verb == "set" ? MapOp::Set : MapOp::Clear;
    std::size_t i = 1;
    if (out.op != MapOp::Clear) {
        const auto v = i < args.size() ? wholeNumber(args[i]) : std::nullopt;
        if (!v || !valueAccepted(out.op, *v)) {
            err << "tarvola-cli: map " << verb
                << (out.op == MapOp::Set ? " takes a whole percentage from -50 to 50\n"
                                         : " takes a whole percentage from 0 to 50\n");
            return false;
        }
        out.value = *v;
        ++i;
    }
    std::optional<Span> rows, columns;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool isRows = a == "--rows";
        if ((!isRows && a != "--rpm") || (isRows ? rows : columns) || i + 1 >= args.size()) {
            err << "tarvola-cli: map " << verb << " needs --rows R1..R2 and --rpm N1..N2, once each\n";
            return false;
        }
        const std::string& range = args[++i];
        if (isRows && !(rows = rowsOf(range))) {
            err << "tarvola-cli: --rows takes row keys from " << mapRowKey(0) << " to " << mapRowKey(kMapRows - 1)
                << ", the first not above the last (not " << range << ")\n";
            return false;
        }
        if (!isRows && !(columns = columnsOf(range))) {
            err << "tarvola-cli: --rpm takes engine speeds from " << mapRpmKey(0) << " to " << mapRpmKey(kMapColumns - 1)
                << " in steps of " << kMapRpmKeyStep << ", the first not above the last (not " << range << ")\n";
            return false;
        }
    }
    if (!rows || !columns) {
        err << "tarvola-cli: map " << verb << " needs --rows R1..R2 and --rpm N1..N2\n";
        return false;
    }
    out.rows = *rows;
    out.columns = *columns;
    return true;
}

const char* opName(MapOp op)
{
    switch (op) {
    case MapOp::Add: return "add";
    case MapOp::Sub: return "sub";
    case MapOp::Set: return "set";
    case MapOp::Clear: return "clear";
    }
    return "clear";
}

// The map as the record holds it, after the edit `edited` when there was one.
void printMap(CliContext& c, const CDeviceSettings& s, const MapEditArgs* edited)
{
    const auto cell = [&s](int r, int col) {
        return s.m_injMapTable[static_cast<std::size_t>(r)][static_cast<std::size_t>(col)];
    };
    if (c.options.json) {
        std::vector<std::string> rows, columns, values;
        for (int r = 0; r < kMapRows; ++r)
            rows.push_back(std::to_string(rowKey(r)));
        for (int col = 0; col < kMapColumns; ++col)
            columns.push_back(std::to_string(rpmKey(col)));
        for (int r = 0; r < kMapRows; ++r) {
            std::vector<std::string> line;
            for (int col = 0; col < kMapColumns; ++col)
                line.push_back(fixedText(cell(r, col), 0));
            values.push_back(jsonArray(line));
        }
        JsonObject j;
        if (edited) {
            JsonObject e;
            e.add("operation", opName(edited->op));
            if (edited->op != MapOp::Clear)
                e.add("value", static_cast<std::int64_t>(edited->value));
            e.addRaw("rows", jsonArray({std::to_string(rowKey(edited->rows.first)),
                                        std::to_string(rowKey(edited->rows.last))}))
                .addRaw("rpm", jsonArray({std::to_string(rpmKey(edited->columns.first)),
                                          std::to_string(rpmKey(edited->columns.last))}));
            j.addRaw("edit", e.str());
        }
        j.addRaw("rows", jsonArray(rows)).addRaw("rpm", jsonArray(columns)).addRaw("values", jsonArray(values));
        c.out << j.str() << '\n';
        return;
    }
    if (edited) {
        const MapEditArgs& e = *edited;
        c.out << opName(e.op);
        if (e.op != MapOp::Clear)
            c.out << ' ' << e.value << " %";
        c.out << " at rows " << rowKey(e.rows.first) << ".." << rowKey(e.rows.last) << ", rpm "
              << rpmKey(e.columns.first) << ".." << rpmKey(e.columns.last) << "; stored in the controller\n";
    }
    c.out << "Correction map [%], rows by injection-time key (ms), columns by engine speed (rpm):\n";
    char field[16];
    c.out << "row\\rpm";
    for (int col = 0; col < kMapColumns; ++col) {
        std::snprintf(field, sizeof field, "%5d", rpmKey(col));
        c.out << field;
    }
    c.out << '\n';
    for (int r = 0; r < kMapRows; ++r) {
        std::snprintf(field, sizeof field, "%7d", rowKey(r));
        c.out << field;
        for (int col = 0; col < kMapColumns; ++col) {
            std::snprintf(field, sizeof field, "%5s", fixedText(cell(r, col), 0).c_str());
            c.out << field;
        }
        c.out << '\n';
    }
}

int readMapOrFail(CliContext& c)
{
    if (c.device.readMap())
        return ExitOk;
    c.err << "tarvola-cli: the controller did not send its correction map\n";
    return ExitRefused;
}

int editMap(CliContext& c, const MapEditArgs& e)
{
    if (const int rc = connectDevice(c); rc != ExitOk)
        return rc;
    if (const int rc = readMapOrFail(c); rc != ExitOk)
        return rc;
    // The map page's own model makes the edit: its values, clamping and range request.
    CMapGridModel grid(c.device);
    grid.loadFromRecord(c.device.m_settings);
    for (int col = e.columns.first; col <= e.columns.last; ++col)
        for (int r = e.rows.first; r <= e.rows.last; ++r)
            grid.selection().set(col, r, true);
    MapEditOutcome outcome = MapEditOutcome::NoSelection;
    switch (e.op) {
    case MapOp::Add: outcome = grid.onMapAdd(e.value); break;
    case MapOp::Sub: outcome = grid.onMapSubb(e.value); break;
    case MapOp::Set: outcome = grid.onMapSet(e.value); break;
    case MapOp::Clear: outcome = grid.onMapClear(); break;
    }
    if (outcome != MapEditOutcome::Sent) {
        c.err << "tarvola-cli: the controller did not take the map edit\n";
        return ExitRefused;
    }
    // No need to wait for the page's store timer: this edit is the last one.
    if (grid.onStoreTimer() != MapStoreOutcome::Stored) {
        c.err << "tarvola-cli: the controller took the edit but did not store its map\n";
        return ExitRefused;
    }
    if (const int rc = readMapOrFail(c); rc != ExitOk)
        return rc;
    printMap(c, c.device.m_settings, &e);
    return ExitOk;
}

int erasePointMap(CliContext& c)
{
    const auto& args = c.options.arguments;
    if (args.size() != 2 || (args[1] != "petrol" && args[1] != "gas")) {
        c.err << "tarvola-cli: map erase needs petrol or gas\n";
        return ExitUsage;
    }
    const bool gas = args[1] == "gas";
    // Erasing throws away what the car has gathered: it is never done without an explicit answer.
    if (!c.options.answer) {
        c.err << "tarvola-cli: map erase " << args[1] << " erases the collected map: give --yes to erase it\n";
        return ExitUsage;
    }
    if (!*c.options.answer) {
        c.err << "tarvola-cli: the " << args[1] << " map was not erased (--no)\n";
        return ExitRefused;
    }
    if (const int rc = connectDevice(c); rc != ExitOk)
        return rc;
    if (!(gas ? c.device.eraseGasMap() : c.device.erasePetrolMap())) {
        c.err << "tarvola-cli: the controller did not erase its " << args[1] << " map\n";
        return ExitRefused;
    }
    if (c.options.json) {
        JsonObject j;
        c.out << j.add("erased", args[1]).str() << '\n';
    } else {
        c.out << (gas ? "Gas map erased\n" : "Petrol map erased\n");
    }
    return ExitOk;
}

} // namespace

int commandMap(CliContext& c)
{
    const auto& args = c.options.arguments;
    if (args.empty()) {
        if (const int rc = connectDevice(c); rc != ExitOk)
            return rc;
        if (const int rc = readMapOrFail(c); rc != ExitOk)
            return rc;
        printMap(c, c.device.m_settings, nullptr);
        return ExitOk;
    }
    const std::string& verb = args[0];
    if (verb == "erase")
        return erasePointMap(c);
    if (verb != "add" && verb != "sub" && verb != "set" && verb != "clear") {
        c.err << "tarvola-cli: map takes add, sub, set, clear or erase, not " << verb << '\n';
        return ExitUsage;
    }
    MapEditArgs edit;
    if (!parseEdit(args, edit, c.err))
        return ExitUsage;
    return editMap(c, edit);
}

} // namespace tarvola::cli
