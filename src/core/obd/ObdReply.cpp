#include "obd/ObdReply.h"

#include <algorithm>

namespace tarvola {

namespace {
constexpr std::uint8_t kFirstFrameBit = 0x10;
constexpr std::uint8_t kConsecutiveFrameBit = 0x20;
constexpr std::size_t kFrameBytes = 8;

std::uint32_t le32(std::span<const std::uint8_t> b)
{
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

// Appends up to `most` codes starting at data byte `from`; a zero code or the frame's end stops.
int takeCodes(const ObdBusFrame& frame, std::size_t from, int most, std::vector<std::uint16_t>& codes)
{
    int taken = 0;
    for (std::size_t at = from; taken < most && at + 2 <= kFrameBytes; at += 2) {
        const auto code = static_cast<std::uint16_t>((frame.data[at] << 8) | frame.data[at + 1]);
        if (code == 0)
            break;
        codes.push_back(code);
        ++taken;
    }
    return taken;
}
} // namespace

ObdBusReply parseBusReply(std::span<const std::uint8_t> payload)
{
    ObdBusReply reply;
    if (payload.size() < 2)
        return reply;
    reply.declaredCount = static_cast<std::uint16_t>(payload[0] | (payload[1] << 8));
    const std::size_t present = (payload.size() - 2) / kBusFrameRecordSize;
    const std::size_t n = std::min<std::size_t>(reply.declaredCount, present);
    reply.complete = reply.declaredCount <= present;
    reply.frames.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const auto record = payload.subspan(2 + i * kBusFrameRecordSize, kBusFrameRecordSize);
        ObdBusFrame f;
        f.sender = le32(record);
        std::copy_n(record.begin() + 4, f.data.size(), f.data.begin());
        reply.frames.push_back(f);
    }
    return reply;
}

std::optional<std::uint32_t> supportedMaskOf(std::span<const ObdBusFrame> frames)
{
    if (frames.empty())
        return std::nullopt;
    const auto& d = frames.front().data;
    if (d[1] != kPositiveService1 || d[2] != 0)
        return std::nullopt;
    return (static_cast<std::uint32_t>(d[3]) << 24) | (static_cast<std::uint32_t>(d[4]) << 16) |
           (static_cast<std::uint32_t>(d[5]) << 8) | d[6];
}

bool pidSupported(std::uint32_t mask, std::uint8_t pid)
{
    if (pid < 1 || pid > 32)
        return false;
    return (mask >> (31 - (pid - 1))) & 1u;
}

std::optional<int> storedCodeCountOf(const ObdBusFrame& frame)
{
    if (frame.data[1] != kPositiveService1 || frame.data[2] != 0x01)
        return std::nullopt;
    return frame.data[3] & 0x7F;
}

std::vector<std::uint16_t> troubleCodesOf(std::span<const ObdBusFrame> frames, int expected)
{
    std::vector<std::uint16_t> codes;
    int left = std::max(expected, 0);
    // Consecutive frames carry seven bytes, so from the sixth code on a code straddles two frames:
    // the odd byte is carried over to the next frame instead of being read as half of a code.
    std::vector<std::uint8_t> carry;
    bool ended = false;  // a zero code ends the segmented answer
    for (const auto& f : frames) {
        const std::uint8_t control = f.data[0];
        if (control & kFirstFrameBit) {
            if (f.data[2] != kPositiveService3)
                continue;
            carry.clear();
            ended = false;
            left = std::max(0, left - takeCodes(f, 4, 2, codes));
        } else if (control & kConsecutiveFrameBit) {
            if (ended)
                continue;
            std::vector<std::uint8_t> bytes = std::move(carry);
            carry.clear();
            bytes.insert(bytes.end(), f.data.begin() + 1, f.data.end());
            std::size_t at = 0;
            for (; left > 0 && at + 2 <= bytes.size(); at += 2) {
                const auto code = static_cast<std::uint16_t>((bytes[at] << 8) | bytes[at + 1]);
                if (code == 0) {
                    ended = true;
                    break;
                }
                codes.push_back(code);
                --left;
            }
            if (!ended && left > 0)
                carry.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end());
        } else {
            if (f.data[1] != kPositiveService3)
                continue;
            takeCodes(f, 3, std::min<int>(f.data[2], 3), codes);
        }
    }
    return codes;
}

} // namespace tarvola
