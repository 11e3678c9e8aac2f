#pragma once
// Firmware image files: the program a controller runs, as it is shipped to fitters, read and
// checked before a single byte of it goes to the controller. The program only reads such files.
//
// The file is a 40-byte header and L data bytes, every byte stored rotated left by two bits.
// Header (after restoring, multi-byte fields little-endian):
//   0  4  L, the number of data bytes after the header
//   4  2  firmware version
//   6  2  format word, 0x0101
//   8 11  unused
//  19 19  device name, ended by a 0 byte
//  38  2  check word
// The data minus the 60 bytes at data offset 8320 is the program image; image byte 2a belongs to
// controller word address a.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tarvola {

class CFirmwareFile {
public:
    static constexpr std::size_t kHeaderSize = 40;
    // The most data the controller's memory (and our working buffer) holds.
    static constexpr std::size_t kMaxDataSize = 0x16000;
    // Bytes of the data that belong to no word address and are never sent.
    static constexpr std::size_t kGapOffset = 8320;
    static constexpr std::size_t kGapSize = 60;
    // Anything shorter than the gap's end plus one byte holds no program past the gap.
    static constexpr std::size_t kMinDataSize = kGapOffset + kGapSize + 1;
    static constexpr std::size_t kVersionOffset = 4;
    static constexpr std::size_t kFormatOffset = 6;
    static constexpr std::size_t kNameOffset = 19;
    static constexpr std::size_t kNameSize = 19;
    static constexpr std::size_t kCheckWordOffset = 38;
    static constexpr std::uint16_t kFormatWord = 0x0101;
    static constexpr std::size_t kBlockSize = 128;

    enum class Error {
        None,
        CannotOpen,  // the file cannot be opened
        ReadFailed,  // the system reported a read error
        ShortHeader, // fewer than 40 bytes
        TooLarge,    // L is above kMaxDataSize
        ShortData,   // the file ends before its L data bytes
        TooSmall,    // L is below kMinDataSize
        CheckWord,   // the check word does not match the contents
    };

    // Reads and checks `path`. On success returns true, fills the three outputs and keeps the
    // program image; on failure returns false, leaves the outputs alone, drops any image loaded
    // before and sets error() and errorString() (which names the file). Bytes past the L data
    // bytes are ignored, and no more than the header and kMaxDataSize bytes are ever read.
    bool load(const std::string& path, std::uint16_t& version, std::string& deviceName, std::uint16_t& formatWord);
    // The same checks on a file already in memory (what load() does once it has read the file);
    // errorString() then names no file.
    bool loadFromBytes(std::span<const std::uint8_t> file, std::uint16_t& version, std::string& deviceName,
                       std::uint16_t& formatWord);

    bool isValid() const { return m_error == Error::None && !m_image.empty(); }
    Error error() const { return m_error; }
    // Why the last load failed, in English, for the command line and logs; "" after a success.
    const std::string& errorString() const { return m_errorString; }

    // The program image (L − 60 bytes), owned by this object and valid until the next load; empty
    // unless the last load succeeded.
    std::span<const std::uint8_t> image() const { return m_image; }
    // 128-byte blocks the image fills, the last one possibly not full.
    std::size_t blockCount() const { return (m_image.size() + kBlockSize - 1) / kBlockSize; }

    // A stored byte as it was before it was rotated.
    static constexpr std::uint8_t restoreByte(std::uint8_t stored)
    {
        return static_cast<std::uint8_t>((stored >> 2) | ((stored & 3u) << 6));
    }
    // The check word of restored header and data: the sums of the first (L mod 65536) data bytes and
    // of the header with its check word taken as 0, each plus one, added modulo 65536.
    static std::uint16_t checkWord(std::span<const std::uint8_t, kHeaderSize> header, std::span<const std::uint8_t> data);

private:
    bool fail(Error error, std::string text);

    std::vector<std::uint8_t> m_image;
    Error m_error = Error::None;
    std::string m_errorString;
};

} // namespace tarvola
