#pragma once
// A point map the controller collects while the car runs (one for petrol, one for gas): per
// pressure bin the sum of injection times (units of 0.004 ms) and the number of samples, and the
// total sample count. 188 bytes on the wire.

#include <array>
#include <cstdint>
#include <span>

namespace tarvola {

constexpr std::size_t kPointMapBins = 31;
constexpr std::size_t kPointMapSize = 188;

struct CPointMap {
    std::array<std::uint32_t, kPointMapBins> sums{};
    std::array<std::uint16_t, kPointMapBins> counts{};
    std::uint16_t total = 0;

    bool operator==(const CPointMap&) const = default;
};

// Decodes a reply payload in PC order (little-endian fields at 0, 124 and 186).
CPointMap decodePointMap(std::span<const std::uint8_t, kPointMapSize> payload);
// The fixed maps of demo mode: bins 0..25 hold 400 (petrol) or 700 (gas) samples.
CPointMap demoPointMap(bool gas);

} // namespace tarvola
