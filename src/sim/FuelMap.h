// The fuel correction map inside the controller's memory: 19 time rows by 15 speed columns of
// percentages stored as value + 100, a flags byte, and a big-endian check value over the block.
//
// Every change the controller makes by itself (range edits, single cells, clearing) keeps the
// check value right; raw memory writes do not touch it, because the tool sends its own.
#pragma once

#include <cstdint>

#include "ControllerMemory.h"

namespace tarvola::sim {

enum class MapOperation : std::uint8_t { Set = 1, Add = 2, Subtract = 3, Zero = 4 };

class FuelMap {
public:
    explicit FuelMap(ControllerMemory& memory) : memory_(memory) {}

    // (sum of block bytes 0..285 + 1) mod 65536.
    static std::uint16_t checkValue(const std::uint8_t* block);
    static std::uint16_t storedCheck(const ControllerMemory& memory);
    // Percentage of a cell (−100..155 for a raw byte; the controller's own edits keep −50..50).
    static int percent(const ControllerMemory& memory, int row, int column);
    static std::uint8_t flags(const ControllerMemory& memory);
    // The cell an operating point falls in; with the half-millisecond flag the time is doubled.
    static void cellFor(double rpm, double ms, bool halfMilliseconds, int& row, int& column);

    void updateCheck();
    // Applies an operation to a rectangle; the part outside the map is ignored. Refuses (returns
    // false, changes nothing) an unknown operation or a rectangle whose first cell is outside.
    // Set takes the value as percentage + 100, Add and Subtract a magnitude; results saturate
    // at −50..+50 %.
    bool editRange(int firstRow, int firstColumn, int rows, int columns, std::uint8_t operation, std::uint8_t value);
    // Sets one cell from percentage + 100; refuses a cell outside the map.
    bool setCell(int row, int column, std::uint16_t valuePlus100);
    // Every cell to 0 %; the flags byte stays.
    void clear();

private:
    ControllerMemory& memory_;
};

}  // namespace tarvola::sim
