// Petrol and gas point maps: bins, saturation and the two wire byte orders.
#include "PointMaps.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace tarvola::sim {

void PointMap::add(int bin, double ms) {
    if (bin < 0 || bin >= kBins || !(ms > 0)) return;
    const auto i = static_cast<std::size_t>(bin);
    const double units = std::round(ms / 0.004);
    const double room = double(std::numeric_limits<std::uint32_t>::max() - sums_[i]);
    sums_[i] += static_cast<std::uint32_t>(units < room ? units : room);
    if (counts_[i] < std::numeric_limits<std::uint16_t>::max()) ++counts_[i];
    if (total_ < std::numeric_limits<std::uint16_t>::max()) ++total_;
}

void PointMap::clear() {
    sums_.fill(0);
    counts_.fill(0);
    total_ = 0;
}

Bytes PointMap::encode(bool bigEndian) const {
    Bytes out(kEncodedSize, 0);
    for (std::size_t i = 0; i < kBins; ++i) {
        if (bigEndian) {
            putBE32(&out[4 * i], sums_[i]);
            putBE16(&out[124 + 2 * i], counts_[i]);
        } else {
            putLE32(&out[4 * i], sums_[i]);
            putLE16(&out[124 + 2 * i], counts_[i]);
        }
    }
    if (bigEndian)
        putBE16(&out[186], total_);
    else
        putLE16(&out[186], total_);
    return out;
}

int binPressureCode(int bin, bool absoluteSensor) {
    return absoluteSensor ? bin * 156 / 72 + 11 : 83 - 3 * bin;
}

int nearestBin(std::uint8_t code, bool absoluteSensor) {
    const int used = absoluteSensor ? PointMap::kBins : 25;
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < used; ++i) {
        const int d = std::abs(binPressureCode(i, absoluteSensor) - code);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

}  // namespace tarvola::sim
