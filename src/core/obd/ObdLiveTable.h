#pragma once
// The OBD page's live parameters: nine service 1 requests, which of them the car supports, which
// go out in the next exchange, and how the answers turn into the shown texts.
//
// The table asks in batches, round-robin from where the last batch stopped. A slow or failed
// exchange drops the batch to one request; from then on, once the first round is over, an entry
// with a polling period is asked only every (period + 1)-th time its turn comes.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "obd/ObdRecords.h"
#include "obd/ObdReply.h"

namespace tarvola {

enum class ObdQuantity { ManifoldPressure, AirFlow, FuelTrim, OxygenVolts };

struct ObdLiveEntry {
    BusRequestItem request;  // length 2, service 1, the parameter
    bool enabled = false;
    int period = 0;          // turns skipped between two requests once the batch is down to one
    int counter = 0;
    std::string text;        // the last value as shown; empty until one arrived
    ObdQuantity quantity = ObdQuantity::FuelTrim;
    const char* name = "";   // source text for translate(): the quantity and where it is measured
    const char* unit = "";
};

// The shown text of a value from data bytes A and B: manifold pressure A kPa ("%.0f"), air flow
// (256·A + B) / 100 g/s, fuel trim A·100/128 − 100 %, oxygen sensor A·0.005 V (all "%.2f").
// Always in the "C" number format.
std::string formatObdValue(ObdQuantity quantity, std::uint8_t a, std::uint8_t b);

class ObdLiveTable {
public:
    static constexpr std::size_t kEntries = 9;
    static constexpr int kStartBatchSize = 5;
    static constexpr std::uint8_t kManifoldPid = 0x0B;
    static constexpr std::uint8_t kAirFlowPid = 0x10;

    // Every entry disabled, batch size 5, first round, index 0, no bank known.
    ObdLiveTable();

    // Enables the entries whose parameter `mask` supports (nothing known: none). Entry 0 asks air
    // flow instead of manifold pressure when the car has only the former. With no entry supported,
    // the short and long trims of bank 1 are enabled anyway. No bank is present until decode()
    // sees the car answer its long trim.
    void applySupportedMask(std::optional<std::uint32_t> mask);

    // The requests of the next exchange (at most the batch size; empty when no entry is due).
    // Moves the round-robin index and the entries' counters.
    std::vector<BusRequestItem> nextBatch();

    // Stores the value of every positive service 1 answer in `frames` in the entries that ask
    // its parameter; an answer to a bank's long trim marks that bank present.
    void decode(std::span<const ObdBusFrame> frames);

    const std::array<ObdLiveEntry, kEntries>& entries() const { return m_entries; }
    ObdLiveEntry& entry(std::size_t index) { return m_entries.at(index); }
    int batchSize() const { return m_batchSize; }
    void setBatchSize(int size) { m_batchSize = size < 1 ? 1 : size; }
    bool firstRound() const { return m_firstRound; }
    std::size_t index() const { return m_index; }
    bool bank1Present() const { return m_bank1Present; }
    bool bank2Present() const { return m_bank2Present; }

private:
    std::array<ObdLiveEntry, kEntries> m_entries;
    int m_batchSize = kStartBatchSize;
    bool m_firstRound = true;
    std::size_t m_index = 0;
    bool m_bank1Present = false;
    bool m_bank2Present = false;
};

} // namespace tarvola
