#pragma once
// One live sample: the controller's 82-byte diagnostic reply (16-bit fields already in PC order),
// two zero bytes and the sample's 32-bit sequence number, 88 bytes in all.

#include <array>
#include <cstddef>
#include <cstdint>

namespace tarvola {

// The live sample as the controller sends it (16-bit fields in PC order once received).
constexpr std::size_t kDiagPayloadSize = 82;
using DiagPayload = std::array<std::uint8_t, kDiagPayloadSize>;

// Work modes the controller reports in byte 0 of a sample.
enum WorkMode : std::uint8_t { ModePetrol = 2, ModeGas = 3 };

// Status of one live poll.
enum class PollStatus { Read, UnexpectedReply, Failed };

constexpr std::size_t kDiagSampleSize = 88;
constexpr std::size_t kDiagSequenceOffset = 84;

struct CDiag {
    std::array<std::uint8_t, kDiagSampleSize> m_bytes{};

    std::uint8_t byte(std::size_t offset) const { return m_bytes[offset]; }
    std::uint16_t word(std::size_t offset) const
    {
        return static_cast<std::uint16_t>(m_bytes[offset] | (m_bytes[offset + 1] << 8));
    }
    std::uint32_t sequence() const
    {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i)
            v |= static_cast<std::uint32_t>(m_bytes[kDiagSequenceOffset + i]) << (8 * i);
        return v;
    }
    void setSequence(std::uint32_t n)
    {
        for (std::size_t i = 0; i < 4; ++i)
            m_bytes[kDiagSequenceOffset + i] = static_cast<std::uint8_t>(n >> (8 * i));
    }
    std::uint8_t workMode() const { return m_bytes[0]; }

    bool operator==(const CDiag&) const = default;
};

} // namespace tarvola
