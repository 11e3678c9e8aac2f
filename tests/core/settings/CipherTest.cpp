// The serial-number cipher: published Serpent answers both ways and the key text.

#include <gtest/gtest.h>

#include "settings/CCipher.h"

using namespace tarvola;

namespace {
template <std::size_t N>
std::array<std::uint8_t, N> fromHex(const char* hex)
{
    std::array<std::uint8_t, N> bytes{};
    for (std::size_t i = 0; i < N; ++i)
        bytes[i] = static_cast<std::uint8_t>(std::stoi(std::string(hex + 2 * i, 2), nullptr, 16));
    return bytes;
}
} // namespace

// Serpent with 256-bit keys, the byte strings as the vectors give them. They use our convention:
// byte 0 is the lowest byte of the first little-endian word, of the key and of the block. The first
// is NESSIE set 1, vector 0; the other two are the zero-key answers of libgcrypt's Serpent self-test.
TEST(Cipher, ReproducesPublishedSerpentAnswers)
{
    const char* answers[][3] = {
        {"8000000000000000000000000000000000000000000000000000000000000000", "00000000000000000000000000000000",
         "A223AA1288463C0E2BE38EBD825616C0"},
        {"0000000000000000000000000000000000000000000000000000000000000000", "D095576FCEA3E3A7ED98D9F29073D78E",
         "B90EE5862DE69168F2BDD5125B45472B"},
        {"0000000000000000000000000000000000000000000000000000000000000000", "00000000010000000200000003000000",
         "2061A42782BD52EC691EC383B03BA77C"},
    };
    for (const auto& a : answers) {
        CCipher cipher;
        cipher.setKeyBytes(fromHex<32>(a[0]));
        EXPECT_EQ(cipher.encipherBlock(fromHex<16>(a[1])), fromHex<16>(a[2])) << a[2];
        EXPECT_EQ(cipher.decipherBlock(fromHex<16>(a[2])), fromHex<16>(a[1])) << a[2];
    }
}

TEST(Cipher, KeyTextIsItsFirst32CharacterCodes)
{
    // The text's first 32 character codes are the key; more are ignored, fewer are filled with 0.
    const CCipher::Block block{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const std::string text = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
    std::array<std::uint8_t, 32> bytes{};
    std::copy(text.begin(), text.end(), bytes.begin());
    CCipher fromText, longer, fromBytes, shorter, padded;
    fromText.setKey(text);
    longer.setKey(text + "-and more");
    fromBytes.setKeyBytes(bytes);
    shorter.setKey("abc");
    padded.setKeyBytes(std::array<std::uint8_t, 32>{'a', 'b', 'c'});
    EXPECT_EQ(fromText.encipherBlock(block), fromBytes.encipherBlock(block));
    EXPECT_EQ(longer.encipherBlock(block), fromBytes.encipherBlock(block));
    EXPECT_EQ(shorter.encipherBlock(block), padded.encipherBlock(block));
}
