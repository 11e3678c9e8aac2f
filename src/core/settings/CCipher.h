#pragma once
// The Serpent block cipher (128-bit block, 256-bit key, 32 rounds), as the controller uses it to
// hide its serial number in the identity reply.
//
// Blocks and keys are taken as little-endian 32-bit words: byte 0 of a block is the lowest byte of
// its first word. Nothing here allocates or throws; a cipher without a key works with the all-zero key.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace tarvola {

class CCipher {
public:
    static constexpr std::size_t kBlockSize = 16;
    static constexpr std::size_t kKeySize = 32;
    using Block = std::array<std::uint8_t, kBlockSize>;

    CCipher();

    // The key is the character codes of the first 32 characters of `text`, as eight little-endian
    // 32-bit words; a shorter text is filled up with 0 bytes. All round keys are computed here.
    void setKey(std::string_view text);
    // The same from the 32 key bytes themselves.
    void setKeyBytes(std::span<const std::uint8_t, kKeySize> key);

    Block encipherBlock(std::span<const std::uint8_t, kBlockSize> plain) const;
    Block decipherBlock(std::span<const std::uint8_t, kBlockSize> enciphered) const;

private:
    // 33 round keys of four words each.
    std::array<std::array<std::uint32_t, 4>, 33> m_roundKeys{};
};

} // namespace tarvola
