#pragma once
// Shared by the fuzz targets that produce records from outside input: whatever a reader accepted
// must also go through every block encoder without trouble.

#include <array>
#include <cstdint>

#include "settings/BlockCodecs.h"

inline void encodeEveryBlock(const tarvola::CDeviceSettings& settings)
{
    using namespace tarvola;
    std::array<std::uint8_t, 28> base{};
    encodeBase(settings, base);
    std::array<std::uint8_t, 21> adv{};
    encodeAdv(settings, adv);
    std::array<std::uint8_t, 42> times{};
    encodeSetupTimes(settings, times);
    std::array<std::uint8_t, 28> sensors{};
    encodeSensorsSetup(settings, sensors);
    std::array<std::uint8_t, 30> advanced{};
    encodeAdvancedSetup(settings, advanced);
    std::array<std::uint8_t, 16> corr{};
    encodeMainCorr(settings, corr);
    MapBlock map{};
    encodeMap(settings, map);
}
