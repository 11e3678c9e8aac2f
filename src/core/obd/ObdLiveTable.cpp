#include "obd/ObdLiveTable.h"

#include "platform/NumberText.h"

#include <charconv>

namespace tarvola {

namespace {
struct EntrySetup {
    std::uint8_t pid;
    ObdQuantity quantity;
    int period;
    const char* name;
    const char* unit;
};

// The manifold pressure entry takes its name from the dictionary; the others are standard terms.
const EntrySetup kSetup[ObdLiveTable::kEntries] = {
    {ObdLiveTable::kManifoldPid, ObdQuantity::ManifoldPressure, 0, "Podciśnienie", "kPa"},
    {0x06, ObdQuantity::FuelTrim, 0, "STFT bank 1", "%"},
    {0x07, ObdQuantity::FuelTrim, 0, "LTFT bank 1", "%"},
    {0x08, ObdQuantity::FuelTrim, 0, "STFT bank 2", "%"},
    {0x09, ObdQuantity::FuelTrim, 0, "LTFT bank 2", "%"},
    {0x14, ObdQuantity::OxygenVolts, 0, "O2 B1S1", "V"},
    {0x15, ObdQuantity::OxygenVolts, 5, "O2 B1S2", "V"},
    {0x18, ObdQuantity::OxygenVolts, 0, "O2 B2S1", "V"},
    {0x19, ObdQuantity::OxygenVolts, 0, "O2 B2S2", "V"},
};

constexpr std::size_t kLongTrimBank1 = 2;
constexpr std::size_t kLongTrimBank2 = 4;

std::string fixed(double value, int decimals)
{
    return fixedText(value, decimals);
}
} // namespace

std::string formatObdValue(ObdQuantity quantity, std::uint8_t a, std::uint8_t b)
{
    switch (quantity) {
    case ObdQuantity::ManifoldPressure: return fixed(a, 0);
    case ObdQuantity::AirFlow: return fixed((256.0 * a + b) / 100.0, 2);
    case ObdQuantity::FuelTrim: return fixed(a * 100.0 / 128.0 - 100.0, 2);
    case ObdQuantity::OxygenVolts: return fixed(a * 0.005, 2);
    }
    return {};
}

ObdLiveTable::ObdLiveTable()
{
    for (std::size_t i = 0; i < kEntries; ++i) {
        auto& e = m_entries[i];
        e.request = BusRequestItem{2, 1, kSetup[i].pid};
        e.quantity = kSetup[i].quantity;
        e.period = kSetup[i].period;
        e.name = kSetup[i].name;
        e.unit = kSetup[i].unit;
    }
}

void ObdLiveTable::applySupportedMask(std::optional<std::uint32_t> mask)
{
    const std::uint32_t m = mask.value_or(0);
    bool any = false;
    for (std::size_t i = 0; i < kEntries; ++i) {
        auto& e = m_entries[i];
        e.request.pid = kSetup[i].pid;
        e.quantity = kSetup[i].quantity;
        e.name = kSetup[i].name;
        e.unit = kSetup[i].unit;
        e.enabled = pidSupported(m, e.request.pid);
        e.counter = 0;
        e.text.clear();
        any = any || e.enabled;
    }
    auto& pressure = m_entries[0];
    if (!pressure.enabled && pidSupported(m, kAirFlowPid)) {
        pressure.request.pid = kAirFlowPid;
        pressure.quantity = ObdQuantity::AirFlow;
        pressure.name = "Przepływ powietrza";
        pressure.unit = "g/s";
        pressure.enabled = true;
        any = true;
    }
    if (!any) {
        m_entries[1].enabled = true;
        m_entries[2].enabled = true;
    }
    // A bank counts only once the car answers for it: a trim asked anyway (the bank 1 fallback)
    // says nothing about the engine.
    m_bank1Present = false;
    m_bank2Present = false;
}

std::vector<BusRequestItem> ObdLiveTable::nextBatch()
{
    std::vector<BusRequestItem> batch;
    const auto size = static_cast<std::size_t>(m_batchSize);
    // One pass over the table at most, so a table with nothing due ends.
    for (std::size_t looked = 0; looked < kEntries && batch.size() < size; ++looked) {
        auto& e = m_entries[m_index];
        if (e.enabled) {
            if (!m_firstRound && m_batchSize < 2) {
                if (e.counter >= e.period) {
                    e.counter = 0;
                    batch.push_back(e.request);
                } else {
                    ++e.counter;
                }
            } else {
                batch.push_back(e.request);
            }
        }
        if (++m_index >= kEntries) {
            m_index = 0;
            m_firstRound = false;
        }
    }
    return batch;
}

void ObdLiveTable::decode(std::span<const ObdBusFrame> frames)
{
    for (std::size_t i = 0; i < kEntries; ++i) {
        auto& e = m_entries[i];
        for (const auto& f : frames) {
            if (f.data[1] != kPositiveService1 || f.data[2] != e.request.pid)
                continue;
            e.text = formatObdValue(e.quantity, f.data[3], f.data[4]);
            if (i == kLongTrimBank1)
                m_bank1Present = true;
            else if (i == kLongTrimBank2)
                m_bank2Present = true;
        }
    }
}

} // namespace tarvola
