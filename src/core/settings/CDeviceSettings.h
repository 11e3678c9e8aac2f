#pragma once
// The tool's picture of everything the controller stores: a plain value type, copied by value.
// Scaled quantities are doubles in engineering units; flags and selections are bytes as the
// controller holds them. Conversions to and from the wire happen only in the block reads and writes
// (BlockCodecs.h). A default-constructed record holds the factory settings.

#include <array>
#include <cstdint>
#include <string>

#include "settings/CDevInfo.h"

namespace tarvola {

// The bits of the record's flag bytes, named once. Bits not named here are carried unchanged.
namespace flags {
// m_base.m_flags
constexpr std::uint8_t MinGasTemp3C = 0x01;        // gas allowed only from 3 °C
constexpr std::uint8_t MaxRpmLimit = 0x02;         // the maximum-speed limit is on (off at 8000 rpm)
constexpr std::uint8_t ContinuousErrorBuzzer = 0x04; // the buzzer sounds continuously while an error stands
constexpr std::uint8_t BaseAlwaysOn = 0x10;        // the controller expects it on every write
constexpr std::uint8_t FastSwitch = 0x40;          // fast switch to gas: 2 s warm-engine delay
// m_adv.m_flags
constexpr std::uint8_t InjectorWarming = 0x03;     // both bits: warming of the gas injectors on
constexpr std::uint8_t CutOff = 0x04;              // cut-off handled on petrol
constexpr std::uint8_t ContinuousInjection = 0x08; // continuous petrol injection handled
// m_adv.m_engineSignalBehavior
constexpr std::uint8_t PetrolSignalPositive = 0x01; // the petrol injectors are switched by +
// m_advancedSetup.m_advancedFlags
constexpr std::uint8_t ServiceReminder = 0x01;     // the next-service reminder is on
constexpr std::uint8_t MinGasRpmLimit = 0x02;      // the minimum gas speed is on (off at 500 rpm)
constexpr std::uint8_t OneTimeEnrichment = 0x04;   // enrichment after the switch to gas
constexpr std::uint8_t Cng = 0x08;                 // CNG installation: no recommended correction range
constexpr std::uint8_t AbsoluteManifold = 0x10;    // absolute 400 kPa manifold sensor (else differential)
constexpr std::uint8_t RpmSignal5V = 0x20;         // 5 V engine-speed signal (else 12 V)
constexpr std::uint8_t Turbo = 0x40;               // turbocharged engine
constexpr std::uint8_t SwitchAllAtOnce = 0x80;     // all cylinders switch at once during autocalibration
// m_corrMap.m_flags
constexpr std::uint8_t HalfMsRows = 0x01;          // the map's rows are half-millisecond bands
// m_devInfo.m_flags1
constexpr std::uint32_t FirmwareUpdates = 0x04;    // the controller accepts firmware updates
} // namespace flags

// The car the controller is fitted to. Kept on the PC only: no controller command carries it.
struct CCarInfo {
    std::string m_vendor;
    std::string m_model;
    std::string m_engine;
    std::string m_power;
    std::string m_prodYear;
    std::string m_injectors;
    double m_reductorPress = 0; // kPa

    bool operator==(const CCarInfo&) const = default;
};

struct CBaseSettings {
    double m_switchRPM = 1200;
    double m_switchTempr = 35; // °C, reducer sensor
    std::uint8_t m_sparkDivider = 1;
    double m_switchDelay = 30;      // s
    double m_switchMinGasTime = 0;  // ms
    double m_switchPressure = 60;   // kPa
    double m_emulatorDelay = 0.5;   // s per cylinder
    double m_pressureGain = 1.0;
    double m_pressureRef = 100;     // kPa
    double m_pressAverageCount = 0.8;
    double m_temprRef = 0;          // °C, gas sensor
    double m_temprGain = 0.3;
    double m_temprBottom = 0;       // °C, gas sensor
    double m_temprUpper = 60;       // °C, gas sensor
    double m_maxRPMHigh = 8000;
    double m_maxRPMLow = 7000;
    double m_minVCC = 10.0;         // V
    double m_maxTemprInside = 100;  // °C, the controller's own sensor
    std::uint8_t m_flags = 0x90;
    // The PC that last wrote the block, most significant byte first.
    std::array<std::uint8_t, 4> m_pcStamp{};

    bool operator==(const CBaseSettings&) const = default;
};

struct CAdvSettings {
    double m_pwmOffset = 4.0;              // ms
    double m_pwm = 50;
    double m_injectorWarmingImpulse = 2.0; // ms
    double m_warmingTime = 30;             // s
    double m_warmingUpperTempr = 50;       // °C, reducer sensor
    std::uint8_t m_injectorType = 1;
    double m_minLPGTime = 0;               // ms
    double m_ignoreLPGTime = 0;            // ms
    std::uint8_t m_engineSignalBehavior = 0;
    std::uint8_t m_flags = 3;
    double m_cutOffPressSwitch = 150;      // kPa
    double m_cutOffExitEmulatorDelay = 0;  // s
    double m_cutOffExitDelay = 0;          // s
    // One byte per injector channel; their pattern encodes the petrol injection type.
    std::array<std::uint8_t, 8> m_channelBytes{1, 2, 4, 8, 16, 32, 64, 128};

    bool operator==(const CAdvSettings&) const = default;
};

// The main corrections the fitter may set by hand or the calibration may reach, in ms.
constexpr double kMainCorrLowestMs = -3.0;
constexpr double kMainCorrHighestMs = 6.0;

struct CMainCorr {
    std::array<double, 8> m_mainCorr{1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};

    bool operator==(const CMainCorr&) const = default;
};

constexpr std::size_t kLambdaEmulatorPoints = 15; // 1000, 1500, ..., 8000 rpm

struct CSensorsSetup {
    std::uint8_t m_lambdaType = 1;
    std::uint8_t m_lambdaEmulatorOn = 0;
    double m_lambdaEmulatorDelay = 0; // s
    // Volts, entry i for 1000 + 500 × i rpm.
    std::array<double, kLambdaEmulatorPoints> m_lambdaEmulatorTable{0.51, 0.51, 0.51, 0.51, 0.51, 0.51, 0.51, 0.51,
                                                                    0.51, 0.51, 0.51, 0.51, 0.51, 0.51, 0.51};
    std::uint8_t m_lambdaSecond = 0;
    std::uint8_t m_fuelFull = 130;
    std::uint8_t m_fuelHgw = 126;
    std::uint8_t m_fuelHalf = 117;
    std::uint8_t m_fuelQuarter = 114;
    std::uint8_t m_fuelRes = 0;
    std::uint8_t m_fuelType = 0;
    std::uint8_t m_fuelSensorType = 1;
    // Sensor characteristics: the temperature table column of the reducer and of the gas sensor.
    std::uint8_t m_temprEngineSensor = 1;
    std::uint8_t m_temprLPGSensor = 1;

    bool operator==(const CSensorsSetup&) const = default;
};

// The fuel map: 19 rows of petrol injection time by 15 columns of engine speed, whole percentages.
constexpr std::size_t kInjMapRows = 19;
constexpr std::size_t kInjMapColumns = 15;
using InjMapTable = std::array<std::array<double, kInjMapColumns>, kInjMapRows>; // [row][column]

struct CCorrMap {
    std::uint8_t m_flags = 0; // bit 0: rows are half-millisecond bands

    bool operator==(const CCorrMap&) const = default;
};

struct CAdvancedSetup {
    std::uint32_t m_serviceTime = 0; // gas running time of the next service, half seconds
    double m_minimalLPGRPM = 500;
    std::uint8_t m_switchCorr = 0;
    double m_switchCorrTime = 20;    // s
    std::uint8_t m_advancedFlags = 0x10;
    double m_maxLoadTime = 0;        // ms; 0 = off

    bool operator==(const CAdvancedSetup&) const = default;
};

// The multiplier line: 20 pairs of whole percentages (-100..155 as the wire can carry them).
// The settings keys number the pairs 1..20; pair n lives at index n − 1 of both arrays, which is
// also its byte offset in the first and second half of the setup times block.
constexpr std::size_t kSetupTimesCount = 20;

struct CDeviceSettings {
    std::string m_timeStamp; // when the record was saved to a file; empty when read from a controller
    CDevInfo m_devInfo;
    CCarInfo m_carInfo;
    CBaseSettings m_base;
    CAdvSettings m_adv;
    CMainCorr m_mainCorr;
    std::array<double, kSetupTimesCount> m_setupTimes1{};
    std::array<double, kSetupTimesCount> m_setupTimes2{};
    std::uint8_t m_tableMask = 0;
    CSensorsSetup m_sensorsSetup;
    InjMapTable m_injMapTable{};
    CCorrMap m_corrMap;
    CAdvancedSetup m_advancedSetup;
};

} // namespace tarvola
