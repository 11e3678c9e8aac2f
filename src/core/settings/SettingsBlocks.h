#pragma once
// The settings blocks the controller reads and writes whole, each with its own read request, reply
// code, write command and size.

#include <cstdint>

namespace tarvola {

enum class SettingsBlock { Base, Adv, AdvancedSetup, MainCorr, SetupTimes, SensorsSetup, ObdConnection, ObdCorrection };

struct SettingsBlockLayout {
    std::uint8_t readSubCode;
    std::uint8_t replyCode;
    std::uint8_t writeCode;
    std::uint8_t size;
    const char* name;
};
const SettingsBlockLayout& layoutOf(SettingsBlock block);

} // namespace tarvola
