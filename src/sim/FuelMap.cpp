// Fuel correction map operations on the controller's memory.
#include "FuelMap.h"

#include <algorithm>
#include <cmath>

namespace tarvola::sim {
namespace {

constexpr int kMinByte = 50;   // −50 %
constexpr int kMaxByte = 150;  // +50 %

std::size_t cellOffset(int row, int column) {
    return static_cast<std::size_t>(row * ControllerMemory::kMapColumns + column);
}

}  // namespace

std::uint16_t FuelMap::checkValue(const std::uint8_t* block) {
    std::uint32_t sum = 1;
    for (std::size_t i = 0; i < ControllerMemory::kMapCheckOffset; ++i) sum += block[i];
    return static_cast<std::uint16_t>(sum);
}

std::uint16_t FuelMap::storedCheck(const ControllerMemory& memory) {
    return getBE16(memory.mapBlock() + ControllerMemory::kMapCheckOffset);
}

int FuelMap::percent(const ControllerMemory& memory, int row, int column) {
    row = std::clamp(row, 0, ControllerMemory::kMapRows - 1);
    column = std::clamp(column, 0, ControllerMemory::kMapColumns - 1);
    return int{memory.mapBlock()[cellOffset(row, column)]} - 100;
}

std::uint8_t FuelMap::flags(const ControllerMemory& memory) {
    return memory.mapBlock()[ControllerMemory::kMapFlagsOffset];
}

void FuelMap::cellFor(double rpm, double ms, bool halfMilliseconds, int& row, int& column) {
    column = std::clamp(static_cast<int>(rpm / 500.0 - 1.0), 0, ControllerMemory::kMapColumns - 1);
    const double t = halfMilliseconds ? 2.0 * ms : ms;
    row = std::clamp(static_cast<int>(std::floor(t) - 1.0), 0, ControllerMemory::kMapRows - 1);
}

void FuelMap::updateCheck() {
    std::uint8_t* block = memory_.mapBlock();
    putBE16(block + ControllerMemory::kMapCheckOffset, checkValue(block));
}

bool FuelMap::editRange(int firstRow, int firstColumn, int rows, int columns, std::uint8_t operation,
                        std::uint8_t value) {
    if (operation < 1 || operation > 4) return false;
    if (firstRow >= ControllerMemory::kMapRows || firstColumn >= ControllerMemory::kMapColumns) return false;
    const int lastRow = std::min(firstRow + rows, ControllerMemory::kMapRows);
    const int lastColumn = std::min(firstColumn + columns, ControllerMemory::kMapColumns);
    std::uint8_t* block = memory_.mapBlock();
    for (int r = firstRow; r < lastRow; ++r) {
        for (int c = firstColumn; c < lastColumn; ++c) {
            std::uint8_t& cell = block[cellOffset(r, c)];
            int v = cell;
            switch (static_cast<MapOperation>(operation)) {
            case MapOperation::Set: v = value; break;
            case MapOperation::Add: v += value; break;
            case MapOperation::Subtract: v -= value; break;
            case MapOperation::Zero: v = 100; break;
            }
            cell = static_cast<std::uint8_t>(std::clamp(v, kMinByte, kMaxByte));
        }
    }
    updateCheck();
    return true;
}

bool FuelMap::setCell(int row, int column, std::uint16_t valuePlus100) {
    if (row < 0 || row >= ControllerMemory::kMapRows || column < 0 || column >= ControllerMemory::kMapColumns)
        return false;
    memory_.mapBlock()[cellOffset(row, column)] =
        static_cast<std::uint8_t>(std::clamp<int>(valuePlus100, kMinByte, kMaxByte));
    updateCheck();
    return true;
}

void FuelMap::clear() {
    std::uint8_t* block = memory_.mapBlock();
    std::fill(block, block + ControllerMemory::kMapFlagsOffset, std::uint8_t{100});
    updateCheck();
}

}  // namespace tarvola::sim
