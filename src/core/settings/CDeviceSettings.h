#pragma once
// The tool's picture of everything the controller stores: a plain value type, copied by value.
// Scaled quantities are doubles in engineering units; flags and selections are bytes as the
// controller holds them. Conversions to and from the wire happen only in the block reads and writes.

#include <array>
#include <cstdint>
#include <string>

#include "settings/CDevInfo.h"

namespace tarvola {

struct CBaseSettings {
    double m_switchRPM = 1200;
    double m_switchTempr = 35;
    std::uint8_t m_sparkDivider = 1;
    double m_switchDelay = 30;
    double m_switchMinGasTime = 0;
    double m_switchPressure = 60;
    double m_emulatorDelay = 0.5; // seconds per cylinder
    double m_pressureGain = 1.0;
    double m_pressureRef = 100;
    double m_pressAverageCount = 0.8;
    double m_temprRef = 0;
    double m_temprGain = 0.3;
    double m_temprBottom = 0;
    double m_temprUpper = 60;
    double m_maxRPMHigh = 8000;
    double m_maxRPMLow = 7000;
    double m_minVCC = 10.0;
    double m_maxTemprInside = 100;
    std::uint8_t m_flags = 0x90;
    std::array<std::uint8_t, 4> m_pcStamp{};
};

struct CDeviceSettings {
    std::string m_timeStamp;
    CDevInfo m_devInfo;
    CBaseSettings m_base;
};

} // namespace tarvola
