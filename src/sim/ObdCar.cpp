// The OBD-II engine computer behind the gateway.
#include "ObdCar.h"

#include <algorithm>
#include <cmath>

namespace tarvola::sim {
namespace {

constexpr std::uint8_t kPadding = 0x55;
constexpr std::array<std::uint8_t, 11> kSupportedPids = {0x01, 0x04, 0x05, 0x06, 0x07, 0x0B,
                                                         0x0C, 0x0D, 0x14, 0x15, 0x1C};

std::uint8_t byteOf(double v) { return static_cast<std::uint8_t>(std::clamp<long>(std::lround(v), 0, 255)); }

std::uint8_t trimByte(double percent) { return byteOf((percent + 100.0) * 128.0 / 100.0); }

std::vector<std::uint8_t> negative(std::uint8_t service, std::uint8_t reason) { return {0x7F, service, reason}; }

}  // namespace

ObdCar::ObdCar(ObdBus bus) : bus_(bus), codes_{0x0171, 0x0301, 0x0302} {}

std::uint32_t ObdCar::responderFor(ObdBus bus, std::uint32_t requestId) {
    switch (bus) {
    case ObdBus::Can11: return requestId == 0x7DF || requestId == 0x7E0 ? 0x7E8 : 0;
    case ObdBus::KLine: return requestId == 0x7A0 ? 0x7A8 : 0;
    case ObdBus::Can29:
        // Functional, physical to this unit (0x10), and the tool's request to unit 0x00, which
        // engine computers commonly accept as well.
        return requestId == 0x18DB33F1 || requestId == 0x18DA10F1 || requestId == 0x18DA00F1 ? 0x18DAF110 : 0;
    }
    return 0;
}

std::uint32_t ObdCar::baseIdFor(ObdBus bus) {
    switch (bus) {
    case ObdBus::KLine: return 0x7A0;
    case ObdBus::Can29: return 0x18DB33F1;
    case ObdBus::Can11: break;
    }
    return 0x7E0;
}

std::uint32_t ObdCar::supportedMask() {
    std::uint32_t mask = 0;
    for (std::uint8_t pid : kSupportedPids) mask |= 1u << (32 - pid);
    return mask;
}

std::vector<std::uint8_t> ObdCar::service1(std::uint8_t pid, const EngineSnapshot& engine) const {
    std::vector<std::uint8_t> m = {0x41, pid};
    switch (pid) {
    case 0x00: {
        const std::uint32_t mask = supportedMask();
        for (int shift = 24; shift >= 0; shift -= 8) m.push_back(static_cast<std::uint8_t>(mask >> shift));
        break;
    }
    case 0x01: {
        const auto n = static_cast<std::uint8_t>(std::min<std::size_t>(codes_.size(), 127));
        m.push_back(n > 0 ? static_cast<std::uint8_t>(0x80 | n) : 0);  // warning lamp with stored codes
        m.push_back(0x07);
        m.push_back(0x65);
        m.push_back(0x00);
        break;
    }
    case 0x04: m.push_back(byteOf(engine.manifoldKPa / 101.0 * 255.0)); break;
    case 0x05: m.push_back(byteOf(engine.coolantCelsius + 40.0)); break;
    case 0x06: m.push_back(trimByte(engine.shortTrimPercent)); break;
    case 0x07: m.push_back(trimByte(engine.longTrimPercent)); break;
    case 0x0B: m.push_back(byteOf(engine.manifoldKPa)); break;
    case 0x0C: {
        const auto quarter = static_cast<std::uint16_t>(std::clamp<long>(std::lround(engine.rpm * 4.0), 0, 65535));
        m.push_back(static_cast<std::uint8_t>(quarter >> 8));
        m.push_back(static_cast<std::uint8_t>(quarter));
        break;
    }
    case 0x0D: m.push_back(byteOf(engine.rpm < 1000 ? 0.0 : engine.rpm / 40.0)); break;
    case 0x14:
        m.push_back(byteOf(engine.lambda1Volts / 0.005));
        m.push_back(trimByte(engine.shortTrimPercent));
        break;
    case 0x15:
        // The sensor behind the catalyst sees a steady, slightly rich exhaust.
        m.push_back(byteOf((engine.running ? 0.68 + 0.05 * (engine.lambda2Volts - 0.5) : 0.0) / 0.005));
        m.push_back(0xFF);
        break;
    case 0x1C: m.push_back(6); break;  // EOBD
    default: return negative(0x01, 0x31);
    }
    return m;
}

std::vector<BusFrame> ObdCar::answer(const BusQuery& q, const EngineSnapshot& engine) {
    const std::uint32_t sender = responderFor(bus_, q.requestId);
    if (sender == 0) return {};
    if ((sender & q.filterMask) != (q.filterId & q.filterMask)) return {};

    std::vector<std::uint8_t> message;
    switch (q.service) {
    case 0x01:
        message = q.length >= 2 ? service1(q.pid, engine) : negative(0x01, 0x13);
        break;
    case 0x03: {
        message = {0x43, static_cast<std::uint8_t>(codes_.size())};
        for (std::uint16_t c : codes_) {
            message.push_back(static_cast<std::uint8_t>(c >> 8));
            message.push_back(static_cast<std::uint8_t>(c));
        }
        break;
    }
    case 0x04:
        codes_.clear();
        message = {0x44};
        break;
    default: message = negative(q.service, 0x11);
    }
    return segment(sender, message);
}

std::vector<BusFrame> segment(std::uint32_t sender, const std::vector<std::uint8_t>& message) {
    std::vector<BusFrame> frames;
    BusFrame f;
    f.id = sender;
    f.data.fill(kPadding);
    if (message.size() <= 7) {
        f.data[0] = static_cast<std::uint8_t>(message.size());
        std::copy(message.begin(), message.end(), f.data.begin() + 1);
        frames.push_back(f);
        return frames;
    }
    const std::size_t total = std::min<std::size_t>(message.size(), 4095);
    f.data[0] = static_cast<std::uint8_t>(0x10 | (total >> 8));
    f.data[1] = static_cast<std::uint8_t>(total);
    std::copy(message.begin(), message.begin() + 6, f.data.begin() + 2);
    frames.push_back(f);
    std::size_t at = 6;
    std::uint8_t sequence = 1;
    while (at < total) {
        BusFrame c;
        c.id = sender;
        c.data.fill(kPadding);
        c.data[0] = static_cast<std::uint8_t>(0x20 | (sequence & 0x0F));
        const std::size_t n = std::min<std::size_t>(7, total - at);
        std::copy(message.begin() + static_cast<std::ptrdiff_t>(at),
                  message.begin() + static_cast<std::ptrdiff_t>(at + n), c.data.begin() + 1);
        frames.push_back(c);
        at += n;
        ++sequence;
    }
    return frames;
}

Bytes encodeBusReply(const std::vector<BusFrame>& frames) {
    const std::size_t n = std::min<std::size_t>(frames.size(), 21);
    Bytes out(2 + 12 * n, 0);
    putLE16(&out[0], static_cast<std::uint16_t>(n));
    for (std::size_t i = 0; i < n; ++i) {
        std::uint8_t* r = &out[2 + 12 * i];
        putLE32(r, frames[i].id);
        std::copy(frames[i].data.begin(), frames[i].data.end(), r + 4);
    }
    return out;
}

}  // namespace tarvola::sim
