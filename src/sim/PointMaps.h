// The petrol and gas point maps the controller gathers while the engine runs: for each of 31
// manifold-pressure bins the sum of injection times (units of 0.004 ms) and the number of
// samples, plus a total sample count.
//
// The plain controller sends them in the PC's little-endian order (reply codes 19/20); the
// variant sends them big-endian (reply codes 28/29) and the PC converts them.
#pragma once

#include <array>
#include <cstdint>

#include "ByteOrder.h"

namespace tarvola::sim {

class PointMap {
public:
    static constexpr int kBins = 31;
    static constexpr std::size_t kEncodedSize = 188;

    // Adds one injection time to a bin; sums and counts saturate instead of wrapping.
    void add(int bin, double ms);
    void clear();
    Bytes encode(bool bigEndian) const;

    std::uint32_t sum(int bin) const { return sums_.at(static_cast<std::size_t>(bin)); }
    std::uint16_t count(int bin) const { return counts_.at(static_cast<std::size_t>(bin)); }
    std::uint16_t total() const { return total_; }

private:
    std::array<std::uint32_t, kBins> sums_{};
    std::array<std::uint16_t, kBins> counts_{};
    std::uint16_t total_ = 0;
};

// Pressure code a bin stands for: trunc(i × 156 / 72 + 11) with an absolute manifold sensor,
// 83 − 3i otherwise (only bins 0..24 are used then).
int binPressureCode(int bin, bool absoluteSensor);
// The bin whose pressure code is nearest to `code` (the lower bin on a tie).
int nearestBin(std::uint8_t code, bool absoluteSensor);

}  // namespace tarvola::sim
