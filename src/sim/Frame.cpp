// Frame codec of the serial link: checksum, framing and the resynchronising parser.
#include "Frame.h"

#include <algorithm>

namespace tarvola::sim {

std::uint16_t frameChecksum(std::uint8_t len, std::uint8_t code, const std::uint8_t* payload, std::size_t n) {
    std::uint32_t sum = std::uint32_t{len} + code + 1;
    for (std::size_t i = 0; i < n; ++i) sum += payload[i];
    return static_cast<std::uint16_t>(sum);
}

Bytes encodeFrame(std::uint8_t code, const Bytes& payload) {
    const std::size_t n = std::min<std::size_t>(payload.size(), 255);
    const auto len = static_cast<std::uint8_t>(n);
    Bytes out;
    out.reserve(n + kFrameOverhead);
    out.push_back(kStart1);
    out.push_back(kStart2);
    out.push_back(len);
    out.push_back(code);
    out.insert(out.end(), payload.begin(), payload.begin() + static_cast<std::ptrdiff_t>(n));
    const std::uint16_t sum = frameChecksum(len, code, payload.data(), n);
    out.push_back(static_cast<std::uint8_t>(sum >> 8));
    out.push_back(static_cast<std::uint8_t>(sum));
    return out;
}

void FrameParser::reset() {
    buf_.clear();
    times_.clear();
}

void FrameParser::drop(std::size_t n) {
    n = std::min(n, buf_.size());
    buf_.erase(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(n));
    times_.erase(times_.begin(), times_.begin() + static_cast<std::ptrdiff_t>(n));
}

bool FrameParser::completeAndValidAt(std::size_t i) const {
    if (i + 4 > buf_.size() || buf_[i] != kStart1 || buf_[i + 1] != kStart2) return false;
    const std::size_t len = buf_[i + 2];
    if (i + len + kFrameOverhead > buf_.size()) return false;
    const std::uint16_t want = frameChecksum(buf_[i + 2], buf_[i + 3], &buf_[i + 4], len);
    return getBE16(&buf_[i + 4 + len]) == want;
}

std::vector<Frame> FrameParser::feed(const std::uint8_t* data, std::size_t n, Clock::time_point at) {
    buf_.insert(buf_.end(), data, data + n);
    times_.insert(times_.end(), n, at);
    if (buf_.size() > kMaxBuffered) {
        skipped_ += buf_.size() - kMaxBuffered;
        drop(buf_.size() - kMaxBuffered);
    }

    std::vector<Frame> frames;
    for (;;) {
        // Hunt for a start byte; a lone AA at the very end may still become a start pair.
        const auto it = std::find(buf_.begin(), buf_.end(), kStart1);
        const auto lead = static_cast<std::size_t>(it - buf_.begin());
        skipped_ += lead;
        drop(lead);
        if (buf_.size() < 2) break;
        if (buf_[1] != kStart2) {
            ++skipped_;
            drop(1);
            continue;
        }
        if (buf_.size() < 4) break;
        const std::size_t len = buf_[2];
        const std::size_t total = len + kFrameOverhead;
        if (buf_.size() < total) {
            // A noise byte pair AA 55 can announce a long frame that never comes. If a whole,
            // correctly summed frame already sits further on, the announcement was noise.
            std::size_t j = 1;
            while (j < buf_.size() && !completeAndValidAt(j)) ++j;
            if (j < buf_.size()) {
                skipped_ += j;
                drop(j);
                continue;
            }
            break;
        }
        if (!completeAndValidAt(0)) {
            ++badChecksums_;
            drop(1);  // resynchronise from the byte after this start byte
            continue;
        }
        Frame f;
        f.code = buf_[3];
        f.payload.assign(buf_.begin() + 4, buf_.begin() + 4 + static_cast<std::ptrdiff_t>(len));
        f.raw.assign(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(total));
        f.firstByteAt = times_[0];
        f.completeAt = times_[total - 1];
        frames.push_back(std::move(f));
        drop(total);
    }
    return frames;
}

}  // namespace tarvola::sim
