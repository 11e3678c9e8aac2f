#include "maps/MapBlock.h"

namespace tarvola {

std::uint16_t mapCheckValue(const MapBlock& block)
{
    std::uint32_t sum = 1;
    for (std::size_t i = 0; i < kMapBlockSize - 2; ++i)
        sum += block[i];
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

std::uint16_t storedMapCheckValue(const MapBlock& block)
{
    return static_cast<std::uint16_t>((block[kMapBlockSize - 2] << 8) | block[kMapBlockSize - 1]);
}

void sealMapBlock(MapBlock& block)
{
    const std::uint16_t check = mapCheckValue(block);
    block[kMapBlockSize - 2] = static_cast<std::uint8_t>(check >> 8);
    block[kMapBlockSize - 1] = static_cast<std::uint8_t>(check & 0xFF);
}

} // namespace tarvola
