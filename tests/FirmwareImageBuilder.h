#pragma once
// Makes firmware image files for the tests. The program itself never writes an image; this lives
// with the tests on purpose, and sums the check word on its own rather than through the reader, so
// a wrong rule in the reader cannot be confirmed by the same rule here.

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace tarvola::test {

struct FirmwareImageContents {
    std::uint16_t version = 0x0207;
    std::string name = "VELDRANIX K480";
    std::uint16_t formatWord = 0x0101;
    std::vector<std::uint8_t> data; // L = data.size() unless declaredLength says otherwise
    int checkWordError = 0;         // added to the right check word
    std::int64_t declaredLength = -1;
};

// Bytes that differ from block to block and within a block, so a block at a wrong address shows.
inline std::vector<std::uint8_t> firmwareTestData(std::size_t size)
{
    std::vector<std::uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<std::uint8_t>(i * 7 + i / 128 + 1);
    return data;
}

// The file as stored: every byte rotated left by two bits.
inline std::vector<std::uint8_t> buildFirmwareFile(const FirmwareImageContents& c)
{
    const auto length = static_cast<std::uint32_t>(c.declaredLength >= 0 ? c.declaredLength : std::int64_t(c.data.size()));
    std::vector<std::uint8_t> file(40, 0);
    for (int i = 0; i < 4; ++i)
        file[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(length >> (8 * i));
    file[4] = static_cast<std::uint8_t>(c.version), file[5] = static_cast<std::uint8_t>(c.version >> 8);
    file[6] = static_cast<std::uint8_t>(c.formatWord), file[7] = static_cast<std::uint8_t>(c.formatWord >> 8);
    for (std::size_t i = 0; i < c.name.size() && i < 19; ++i)
        file[19 + i] = static_cast<std::uint8_t>(c.name[i]);
    unsigned headerSum = 0, dataSum = 0;
    for (const auto b : file)
        headerSum += b;
    for (std::size_t i = 0; i < length % 65536 && i < c.data.size(); ++i)
        dataSum += c.data[i];
    const unsigned check = (headerSum % 65536 + 1 + dataSum % 65536 + 1 + static_cast<unsigned>(c.checkWordError)) % 65536;
    file[38] = static_cast<std::uint8_t>(check), file[39] = static_cast<std::uint8_t>(check >> 8);
    file.insert(file.end(), c.data.begin(), c.data.end());
    for (auto& b : file)
        b = static_cast<std::uint8_t>((b << 2) | (b >> 6));
    return file;
}

inline bool writeBinaryFile(const std::string& path, std::span<const std::uint8_t> bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool wrote = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && wrote;
}

// What the controller should receive: the data without the 60 bytes at 8320.
inline std::vector<std::uint8_t> expectedProgramImage(std::span<const std::uint8_t> data)
{
    std::vector<std::uint8_t> image(data.begin(), data.begin() + 8320);
    image.insert(image.end(), data.begin() + 8380, data.end());
    return image;
}

} // namespace tarvola::test
