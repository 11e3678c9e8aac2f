// The controller's memory image and its factory contents.
#include "ControllerMemory.h"

#include <algorithm>
#include <cstring>

#include "Conversions.h"
#include "FuelMap.h"

namespace tarvola::sim {

BlockPlace blockPlace(Block b) {
    switch (b) {
    case Block::Base: return {0x000, 28};
    case Block::Adv: return {0x020, 21};
    case Block::MainCorr: return {0x040, 16};
    case Block::SetupTimes: return {0x060, 42};
    case Block::Sensors: return {0x0A0, 28};
    case Block::AdvancedSetup: return {0x0C0, 30};
    case Block::ObdConnection: return {0x0E0, 12};
    case Block::ObdCorrection: return {0x100, 18};
    case Block::ErrorFlags: return {0x120, 4};
    }
    return {0, 0};
}

ControllerMemory::ControllerMemory(bool variant) { loadFactoryDefaults(variant); }

void ControllerMemory::loadFactoryDefaults(bool variant) {
    mem_.fill(0);
    const std::uint8_t sensorType = variant ? 3 : 1;
    const int reducerColumn = sensorColumn(sensorType);
    const int gasColumn = sensorColumn(sensorType);

    Bytes base(28, 0);
    putBE16(&base[0], rpmPeriodCode(1200));    // switch speed
    putBE16(&base[2], timeCode25us(0));        // minimum gas time
    base[4] = 1;                               // spark divider
    base[5] = pressureCode(60);                // switch pressure
    base[6] = temperatureCode(35, reducerColumn);
    base[7] = 30 * 2;                          // switch delay, half seconds
    putBE16(&base[8], rpmPeriodCode(8000));    // speed limit high
    putBE16(&base[10], rpmPeriodCode(7000));   // speed limit low
    base[12] = 0x90;
    base[13] = pressureCode(100);              // pressure reference
    base[14] = 10;                             // pressure gain 1.0
    base[15] = 4;                              // pressure averaging 0.8 × 5
    base[16] = temperatureCode(0, gasColumn);  // temperature reference
    base[17] = 3;                              // temperature gain 0.3 × 10
    base[18] = temperatureCode(0, gasColumn);
    base[19] = temperatureCode(60, gasColumn);
    base[20] = 20;                             // emulator delay 0.5 s in 25 ms steps
    base[21] = temperatureCode(100, 0);        // own sensor
    base[22] = supplyCode(10.0);
    setBlock(Block::Base, base);

    Bytes adv(21, 0);
    adv[0] = 1;                       // injector type
    adv[1] = 160;                     // PWM offset 4.0 ms
    adv[2] = 40;                      // PWM 50, stored less 10
    adv[3] = 80;                      // warming impulse 2.0 ms
    adv[4] = 30 * 2;                  // warming time
    adv[5] = temperatureCode(50, reducerColumn);
    for (int i = 0; i < 8; ++i) adv[8 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(1u << i);
    adv[17] = 3;
    adv[18] = pressureCode(150);      // cut-off pressure
    setBlock(Block::Adv, adv);

    Bytes corr(16, 0);
    for (std::size_t i = 0; i < 8; ++i) putBE16(&corr[2 * i], 250);  // 1.0 ms in 0.004 ms codes
    setBlock(Block::MainCorr, corr);

    Bytes times(42, 0);
    std::fill(times.begin(), times.begin() + 40, std::uint8_t{100});  // every multiplier 0 %
    setBlock(Block::SetupTimes, times);

    Bytes sensors(28, 0);
    sensors[0] = 130;
    sensors[1] = 126;
    sensors[2] = 117;
    sensors[3] = 114;
    sensors[6] = 1;  // lambda type
    for (std::size_t i = 10; i <= 24; ++i) sensors[i] = voltageCode(0.51);
    sensors[25] = sensorType;
    sensors[26] = sensorType;
    sensors[27] = 1;  // fuel level sensor type
    setBlock(Block::Sensors, sensors);

    Bytes adset(30, 0);
    putBE16(&adset[8], rpmPeriodCode(500));  // minimal gas speed
    adset[11] = 20 * 2;                       // enrichment time
    adset[12] = 0x10;                         // absolute manifold sensor
    setBlock(Block::AdvancedSetup, adset);

    Bytes obdConnection(12, 0);
    putLE32(&obdConnection[0], 0x7E0);  // 11-bit CAN
    obdConnection[8] = 1;               // connected
    obdConnection[9] = 2;               // 500 kb/s
    obdConnection[10] = 8;
    setBlock(Block::ObdConnection, obdConnection);

    Bytes obdCorrection(18, 0);
    obdCorrection[1] = 2 * 10;  // update every 10 s
    obdCorrection[2] = 10;      // at most 10 %
    setBlock(Block::ObdCorrection, obdCorrection);

    FuelMap(*this).clear();
}

bool ControllerMemory::read(std::uint32_t address, std::size_t n, std::uint8_t* out) const {
    if (address > kSize || n > kSize - address) return false;
    if (n > 0) std::memcpy(out, &mem_[address], n);
    return true;
}

bool ControllerMemory::write(std::uint32_t address, const std::uint8_t* data, std::size_t n) {
    if (address > kSize || n > kSize - address) return false;
    if (n > 0) std::memcpy(&mem_[address], data, n);
    return true;
}

Bytes ControllerMemory::block(Block b) const {
    const BlockPlace p = blockPlace(b);
    return Bytes(mem_.begin() + p.address, mem_.begin() + p.address + static_cast<std::ptrdiff_t>(p.size));
}

bool ControllerMemory::setBlock(Block b, const Bytes& bytes) {
    const BlockPlace p = blockPlace(b);
    if (bytes.size() != p.size) return false;
    return write(p.address, bytes.data(), bytes.size());
}

double ControllerMemory::emulatorDelaySeconds() const {
    return mem_[blockPlace(Block::Base).address + 20] * 0.025;
}

double ControllerMemory::switchTemperatureCelsius() const {
    return temperatureFromCode(mem_[blockPlace(Block::Base).address + 6], reducerSensorColumn());
}

double ControllerMemory::workingPressureKPa() const {
    return pressureFromCode(mem_[blockPlace(Block::Base).address + 13]);
}

std::uint8_t ControllerMemory::advancedFlags() const { return mem_[blockPlace(Block::AdvancedSetup).address + 12]; }

double ControllerMemory::mainCorrectionMs(int cylinder) const {
    const auto i = static_cast<std::size_t>(std::clamp(cylinder, 0, 7));
    return static_cast<std::int16_t>(getBE16(&mem_[blockPlace(Block::MainCorr).address + 2 * i])) * 0.004;
}

int ControllerMemory::multiplierPercent(int bucket) const {
    const auto i = static_cast<std::size_t>(std::clamp(bucket, 0, 19));
    return int{mem_[blockPlace(Block::SetupTimes).address + i]} - 100;
}

int ControllerMemory::reducerSensorColumn() const {
    return sensorColumn(mem_[blockPlace(Block::Sensors).address + 25]);
}

int ControllerMemory::gasSensorColumn() const { return sensorColumn(mem_[blockPlace(Block::Sensors).address + 26]); }

std::array<std::uint8_t, 4> ControllerMemory::errorFlags() const {
    std::array<std::uint8_t, 4> f{};
    read(blockPlace(Block::ErrorFlags).address, f.size(), f.data());
    return f;
}

void ControllerMemory::setErrorFlags(const std::array<std::uint8_t, 4>& flags) {
    write(blockPlace(Block::ErrorFlags).address, flags.data(), flags.size());
}

}  // namespace tarvola::sim
