#include "maps/PointMap.h"

#include <cmath>

#include "link/Frame.h"

namespace tarvola {

CPointMap decodePointMap(std::span<const std::uint8_t, kPointMapSize> p)
{
    CPointMap map;
    for (std::size_t i = 0; i < kPointMapBins; ++i) {
        map.sums[i] = getU32(p, 4 * i);
        map.counts[i] = getU16(p, 124 + 2 * i);
    }
    map.total = getU16(p, 186);
    return map;
}

CPointMap demoPointMap(bool gas)
{
    CPointMap map;
    const std::uint16_t count = gas ? 700 : 400;
    std::uint32_t total = 0;
    for (std::size_t i = 0; i < 26; ++i) {
        map.counts[i] = count;
        double sum = static_cast<double>(i) * 500.0 / 3.0 * count;
        if (gas)
            sum *= 1.12;
        map.sums[i] = static_cast<std::uint32_t>(std::round(sum)); // halves away from zero
        total += count;
    }
    map.total = static_cast<std::uint16_t>(total);
    return map;
}

} // namespace tarvola
