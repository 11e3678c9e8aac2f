#pragma once
// What a live sample means in engineering units: the one home of the sample's field layout, the
// per-cylinder petrol and gas time rules and the values a recording line carries. The unit rules
// themselves (rounding, rpm, pressures, voltages, the temperature table) come from Conversions.h.
//
// Every function accepts any sample: a controller may send any byte in any field, and none of them
// divides by zero, indexes outside the sample or returns NaN.

#include <array>
#include <cstdint>

#include "monitor/CDiag.h"

namespace tarvola {

// The few settings the conversions depend on, taken from the settings record by its owner so that
// the sample code never reads the record itself (the polling thread must not touch a record that
// the user-interface thread is changing). Defaults are the record's defaults.
struct DiagContext {
    std::uint8_t reducerSensor = 1;      // m_sensorsSetup.m_temprEngineSensor
    std::uint8_t gasSensor = 1;          // m_sensorsSetup.m_temprLPGSensor
    bool absoluteManifoldSensor = true;  // bit 4 of m_advancedSetup.m_advancedFlags
    std::int32_t injectorCount = 0;      // m_devInfo.m_injCount, as the controller reported it
    bool channel3Zero = false;           // m_adv.m_channelBytes[2] == 0

    bool operator==(const DiagContext&) const = default;
};

// Byte offsets of the controller's sample.
namespace diag {
constexpr std::size_t WorkMode = 0;
constexpr std::size_t SwitchState = 1;
constexpr std::size_t ReducerTemp = 2;
constexpr std::size_t GasTemp = 3;
constexpr std::size_t ObdCorrection2 = 4;
constexpr std::size_t Supply = 5;
constexpr std::size_t Lambda1 = 6;
constexpr std::size_t Lambda2 = 7;
constexpr std::size_t GasPressure = 8;
constexpr std::size_t Manifold = 10;
constexpr std::size_t ActiveInjectors = 11;
constexpr std::size_t FuelLevel = 14;
constexpr std::size_t ObdCorrection1 = 15;
constexpr std::size_t PeriodCount = 16;
constexpr int Entries = 16;
constexpr int Cylinders = 8;
// Entry k (0..15): its petrol time count and its gas time correction count.
constexpr std::size_t petrolTime(int entry) { return 18 + 4 * static_cast<std::size_t>(entry); }
constexpr std::size_t gasCorrection(int entry) { return 20 + 4 * static_cast<std::size_t>(entry); }
} // namespace diag

// A gas time correction count: above 60000 it stands for count − 65535 (65535 is 0, 60001 is −5534),
// 60000 itself stays positive.
int signedCorrection(std::uint16_t count);

// Entry k's petrol time, count × 0.025 ms rounded to two decimals; its correction × 0.025 ms, exact.
// An entry outside 0..15 reads as 0.
double entryPetrolMs(const CDiag& sample, int entry);
double entryCorrectionMs(const CDiag& sample, int entry);

struct CDeviceSettings;
// The context of the record as it stands: sensor types, manifold sensor, injector count, channel 3.
DiagContext contextFrom(const CDeviceSettings& settings);

struct CylinderTimes {
    double petrolMs = 0;
    double gasMs = 0;
    bool operator==(const CylinderTimes&) const = default;
};

// Cylinder c (0..7) owns entries 2c and 2c + 1. Its petrol time is the larger of the two (the first
// on a tie); its gas time is that petrol time plus the correction of the same entry, rounded to two
// decimals. The gas time may be negative here (a recording writes it so). Outside 0..7: zeros.
CylinderTimes cylinderTimes(const CDiag& sample, int cylinder);

// Whether the shown times let cylinders 2 to 4 repeat cylinder 1 when channel byte 3 is 0 (the main
// view does; the large live display does not).
enum class Channel3Repeat { Apply, Ignore };

// The eight cylinders as a display shows them: injectors 1 to the injector count carry their times
// with a negative gas time shown as 0; the others show 0. A count outside 0..8 is clamped, so a
// controller reporting 200 injectors still fills exactly eight columns.
std::array<CylinderTimes, diag::Cylinders> shownCylinderTimes(const CDiag& sample, const DiagContext& context,
                                                             Channel3Repeat repeat = Channel3Repeat::Apply);

// Every other field of a sample in engineering units.
struct DiagValues {
    int workMode = 0;              // 2 petrol, 3 gas
    bool switchOn = false;         // switch-state byte is 1
    double reducerTempC = 0;
    double gasTempC = 0;
    double supplyVolts = 0;
    double lambda1Volts = 0;
    double lambda2Volts = 0;
    double gasPressureKPa = 0;     // never negative
    double manifoldKPa = 0;        // may be negative (differential sensor); displays show 0 then
    std::uint8_t activeInjectors = 0;  // bit i: injector i + 1 runs on gas
    std::uint8_t fuelLevel = 0;        // raw, for the fuel gauge thresholds
    int obdCorrection1 = 0;        // byte 15 − 100
    int obdCorrection2 = 0;        // byte 4 − 100
    double rpm = 0;                // 4 800 000 / period count; 0 for a count of 0
};
DiagValues diagValues(const CDiag& sample, const DiagContext& context);

// Engine speed as displays show it: below 100 rpm the engine counts as stopped and shows 0.
double shownRpm(double rpm);
// Manifold pressure as displays show it: never below 0.
double shownManifoldKPa(double kPa);

// The 24 values of one recording line, in file order: work mode, engine speed, then petrol and gas
// time of cylinders 1 to 8 alternating (all eight, whatever the injector count, negative gas times
// as they are), gas pressure, manifold pressure, gas temperature, reducer temperature, lambda 1
// and lambda 2.
constexpr std::size_t kRecordFields = 24;
std::array<double, kRecordFields> recordValues(const CDiag& sample, const DiagContext& context);

} // namespace tarvola
