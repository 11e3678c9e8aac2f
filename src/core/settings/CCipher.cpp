#include "settings/CCipher.h"

#include <bit>

namespace tarvola {

namespace {

using Words = std::array<std::uint32_t, 4>;

// The eight S-boxes and their inverses, as 4-bit tables.
constexpr std::uint8_t kSBox[8][16] = {
    {3, 8, 15, 1, 10, 6, 5, 11, 14, 13, 4, 2, 7, 0, 9, 12},
    {15, 12, 2, 7, 9, 0, 5, 10, 1, 11, 14, 8, 6, 13, 3, 4},
    {8, 6, 7, 9, 3, 12, 10, 15, 13, 1, 14, 4, 0, 11, 5, 2},
    {0, 15, 11, 8, 12, 9, 6, 3, 13, 1, 2, 4, 10, 7, 5, 14},
    {1, 15, 8, 3, 12, 0, 11, 6, 2, 5, 4, 10, 9, 14, 7, 13},
    {15, 5, 2, 11, 4, 10, 9, 12, 0, 3, 14, 8, 13, 6, 7, 1},
    {7, 2, 12, 5, 8, 4, 6, 11, 14, 9, 1, 15, 13, 3, 10, 0},
    {1, 13, 15, 0, 14, 8, 2, 11, 7, 4, 12, 10, 9, 3, 5, 6},
};

constexpr auto kInverseSBox = [] {
    std::array<std::array<std::uint8_t, 16>, 8> inverse{};
    for (std::size_t box = 0; box < 8; ++box)
        for (std::uint8_t in = 0; in < 16; ++in)
            inverse[box][kSBox[box][in]] = in;
    return inverse;
}();

constexpr std::uint32_t kGoldenRatio = 0x9E3779B9;

// Bitslice application: bit j of the four words forms one 4-bit input, word 0 its lowest bit.
// Going through the tables bit by bit is slower than the boolean formulas of fast implementations,
// but it is plainly the published S-box, and the cipher only ever deciphers one block per identity.
Words substitute(const std::uint8_t* table, const Words& x)
{
    Words y{};
    for (unsigned bit = 0; bit < 32; ++bit) {
        unsigned in = 0;
        for (unsigned w = 0; w < 4; ++w)
            in |= ((x[w] >> bit) & 1u) << w;
        const unsigned out = table[in];
        for (unsigned w = 0; w < 4; ++w)
            y[w] |= static_cast<std::uint32_t>((out >> w) & 1u) << bit;
    }
    return y;
}

void linearTransform(Words& x)
{
    x[0] = std::rotl(x[0], 13);
    x[2] = std::rotl(x[2], 3);
    x[1] ^= x[0] ^ x[2];
    x[3] ^= x[2] ^ (x[0] << 3);
    x[1] = std::rotl(x[1], 1);
    x[3] = std::rotl(x[3], 7);
    x[0] ^= x[1] ^ x[3];
    x[2] ^= x[3] ^ (x[1] << 7);
    x[0] = std::rotl(x[0], 5);
    x[2] = std::rotl(x[2], 22);
}

void inverseLinearTransform(Words& x)
{
    x[2] = std::rotr(x[2], 22);
    x[0] = std::rotr(x[0], 5);
    x[2] ^= x[3] ^ (x[1] << 7);
    x[0] ^= x[1] ^ x[3];
    x[3] = std::rotr(x[3], 7);
    x[1] = std::rotr(x[1], 1);
    x[3] ^= x[2] ^ (x[0] << 3);
    x[1] ^= x[0] ^ x[2];
    x[2] = std::rotr(x[2], 3);
    x[0] = std::rotr(x[0], 13);
}

void mix(Words& x, const Words& key)
{
    for (std::size_t w = 0; w < 4; ++w)
        x[w] ^= key[w];
}

Words load(std::span<const std::uint8_t, CCipher::kBlockSize> bytes)
{
    Words x{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        x[i / 4] |= static_cast<std::uint32_t>(bytes[i]) << (8 * (i % 4));
    return x;
}

CCipher::Block store(const Words& x)
{
    CCipher::Block bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(x[i / 4] >> (8 * (i % 4)));
    return bytes;
}

} // namespace

CCipher::CCipher()
{
    setKeyBytes(std::array<std::uint8_t, kKeySize>{});
}

void CCipher::setKey(std::string_view text)
{
    std::array<std::uint8_t, kKeySize> key{};
    for (std::size_t i = 0; i < key.size() && i < text.size(); ++i)
        key[i] = static_cast<std::uint8_t>(text[i]);
    setKeyBytes(key);
}

void CCipher::setKeyBytes(std::span<const std::uint8_t, kKeySize> key)
{
    // The eight key words come first, then 132 prekey words, each from the four at distances
    // 8, 5, 3 and 1 before it.
    std::array<std::uint32_t, 8 + 132> w{};
    for (std::size_t i = 0; i < kKeySize; ++i)
        w[i / 4] |= static_cast<std::uint32_t>(key[i]) << (8 * (i % 4));
    for (std::uint32_t i = 0; i < 132; ++i) {
        const std::size_t at = i + 8;
        w[at] = std::rotl(w[at - 8] ^ w[at - 5] ^ w[at - 3] ^ w[at - 1] ^ kGoldenRatio ^ i, 11);
    }
    // Round key i goes through S-box (3 - i) mod 8; 35 - i is the same modulo 8 and never negative.
    for (std::size_t i = 0; i < m_roundKeys.size(); ++i) {
        const Words prekey{w[8 + 4 * i], w[9 + 4 * i], w[10 + 4 * i], w[11 + 4 * i]};
        m_roundKeys[i] = substitute(kSBox[(35 - i) % 8], prekey);
    }
}

CCipher::Block CCipher::encipherBlock(std::span<const std::uint8_t, kBlockSize> plain) const
{
    Words x = load(plain);
    for (std::size_t round = 0; round < 32; ++round) {
        mix(x, m_roundKeys[round]);
        x = substitute(kSBox[round % 8], x);
        if (round < 31)
            linearTransform(x);
        else
            mix(x, m_roundKeys[32]);
    }
    return store(x);
}

CCipher::Block CCipher::decipherBlock(std::span<const std::uint8_t, kBlockSize> enciphered) const
{
    // The rounds backwards: the last round key first, then the inverse of S-box 7.
    Words x = load(enciphered);
    for (std::size_t round = 32; round-- > 0;) {
        if (round == 31)
            mix(x, m_roundKeys[32]);
        else
            inverseLinearTransform(x);
        x = substitute(kInverseSBox[round % 8].data(), x);
        mix(x, m_roundKeys[round]);
    }
    return store(x);
}

} // namespace tarvola
