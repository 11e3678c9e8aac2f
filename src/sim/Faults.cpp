// Fault selection and faulty replies.
#include "Faults.h"

#include <algorithm>

namespace tarvola::sim {

const char* faultName(Fault f) {
    switch (f) {
    case Fault::None: return "none";
    case Fault::Silent: return "silent";
    case Fault::Corrupt: return "corrupt";
    case Fault::BadStart: return "badstart";
    case Fault::Truncate: return "truncate";
    case Fault::Late: return "late";
    case Fault::Noise: return "noise";
    }
    return "none";
}

bool parseFault(const std::string& text, Fault& out) {
    for (Fault f : {Fault::None, Fault::Silent, Fault::Corrupt, Fault::BadStart, Fault::Truncate, Fault::Late,
                    Fault::Noise}) {
        if (text == faultName(f)) {
            out = f;
            return true;
        }
    }
    return false;
}

FaultPolicy::FaultPolicy(Fault fault, double rate, long after, std::uint64_t seed)
    : fault_(fault), rate_(rate), after_(after), rng_(seed) {}

void FaultPolicy::set(Fault fault, double rate, long after) {
    fault_ = fault;
    rate_ = rate;
    after_ = after;
    seen_ = 0;
}

Fault FaultPolicy::next() {
    ++seen_;
    if (fault_ == Fault::None) return Fault::None;
    if (after_ >= 0 && seen_ <= after_) return Fault::None;
    if (rate_ > 0) {
        const double draw = static_cast<double>(rng_() >> 11) * 0x1p-53;
        return draw < rate_ ? fault_ : Fault::None;
    }
    return fault_;
}

std::chrono::milliseconds lateTailDelay(std::size_t frameBytes) {
    // The tool reads the header, then LEN + 2 bytes with a time-out of (LEN + 2) + 1000 ms, waits
    // 50 ms and reads the rest with a fresh time-out of at least a second. Arriving 150 ms into
    // that second read leaves room for scheduling on both sides.
    const std::size_t body = frameBytes >= 4 ? frameBytes - 4 : 0;
    return std::chrono::milliseconds(static_cast<long>(body) + 1200);
}

std::vector<Piece> applyFault(Fault fault, const Bytes& frame, std::mt19937_64& rng) {
    std::vector<Piece> pieces;
    switch (fault) {
    case Fault::None: pieces.push_back({{}, frame}); break;
    case Fault::Silent: break;
    case Fault::Corrupt: {
        Bytes b = frame;
        if (b.size() >= 2) {
            const std::uint16_t sum = static_cast<std::uint16_t>(getBE16(&b[b.size() - 2]) + 1);
            putBE16(&b[b.size() - 2], sum);
        }
        pieces.push_back({{}, b});
        break;
    }
    case Fault::BadStart: {
        Bytes b = frame;
        if (b.size() >= 2) std::swap(b[0], b[1]);
        pieces.push_back({{}, b});
        break;
    }
    case Fault::Truncate: {
        const std::size_t keep = std::min(frame.size(), 4 + (frame.size() > 4 ? (frame.size() - 4) / 2 : 0));
        pieces.push_back({{}, Bytes(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(keep))});
        break;
    }
    case Fault::Late: {
        const std::size_t head = frame.size() > 7 ? frame.size() - 3 : std::min<std::size_t>(4, frame.size());
        pieces.push_back({{}, Bytes(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(head))});
        pieces.push_back({lateTailDelay(frame.size()), Bytes(frame.begin() + static_cast<std::ptrdiff_t>(head), frame.end())});
        break;
    }
    case Fault::Noise: {
        const std::size_t n = 1 + static_cast<std::size_t>(rng() % 16);
        Bytes b(n);
        for (auto& x : b) x = static_cast<std::uint8_t>(rng());
        if (b[0] == 0xAA) b[0] = 0x00;  // noise, not a frame start the tool might take for ours
        b.insert(b.end(), frame.begin(), frame.end());
        pieces.push_back({{}, b});
        break;
    }
    }
    return pieces;
}

}  // namespace tarvola::sim
