// Firmware image files: what the reader takes from a good file, the sizes and check word it
// refuses, and the program image it hands to the link.

#include <gtest/gtest.h>

#include <filesystem>

#include "FirmwareImageBuilder.h"
#include "settings/CFirmwareFile.h"

using namespace tarvola;
using namespace tarvola::test;
namespace fs = std::filesystem;

namespace {

using Error = CFirmwareFile::Error;

struct Loaded {
    bool ok = false;
    std::uint16_t version = 0xEEEE, format = 0xEEEE;
    std::string name = "untouched";
};

Loaded loadBytes(CFirmwareFile& file, std::span<const std::uint8_t> bytes)
{
    Loaded l;
    l.ok = file.loadFromBytes(bytes, l.version, l.name, l.format);
    return l;
}

FirmwareImageContents ofSize(std::size_t dataSize)
{
    FirmwareImageContents c;
    c.data = firmwareTestData(dataSize);
    return c;
}

} // namespace

TEST(FirmwareFile, RestoresTheHeaderAndDropsTheGap)
{
    FirmwareImageContents c = ofSize(9380);
    c.version = 0x0312;
    c.name = "NINETEEN-CHARACTERS"; // fills its field: no 0 byte before the check word
    CFirmwareFile file;
    const auto l = loadBytes(file, buildFirmwareFile(c));
    ASSERT_TRUE(l.ok) << file.errorString();
    EXPECT_EQ(l.version, 0x0312);
    EXPECT_EQ(l.format, 0x0101);
    EXPECT_EQ(l.name, "NINETEEN-CHARACTERS");
    const auto image = file.image();
    EXPECT_EQ(std::vector<std::uint8_t>(image.begin(), image.end()), expectedProgramImage(c.data));
    EXPECT_EQ(file.blockCount(), 73u); // 9320 bytes: 72 whole blocks and 104 bytes
}

TEST(FirmwareFile, DataSizeBounds)
{
    CFirmwareFile file;
    const auto refusal = [&](const std::vector<std::uint8_t>& bytes) {
        const bool ok = loadBytes(file, bytes).ok;
        EXPECT_FALSE(file.errorString().empty() && !ok);
        return ok ? Error::None : file.error();
    };
    // 8380 bytes end where the gap ends: nothing to program, even with a right check word.
    EXPECT_EQ(refusal(buildFirmwareFile(ofSize(8380))), Error::TooSmall);
    EXPECT_EQ(refusal(buildFirmwareFile(ofSize(8381))), Error::None);
    EXPECT_EQ(file.blockCount(), 66u);
    EXPECT_EQ(refusal(buildFirmwareFile(ofSize(CFirmwareFile::kMaxDataSize))), Error::None);
    EXPECT_EQ(file.blockCount(), 704u);
    EXPECT_EQ(refusal(buildFirmwareFile(ofSize(CFirmwareFile::kMaxDataSize + 1))), Error::TooLarge);
    EXPECT_TRUE(file.image().empty()); // a refusal drops the image of the earlier load

    FirmwareImageContents c = ofSize(9000);
    c.declaredLength = 9001;
    EXPECT_EQ(refusal(buildFirmwareFile(c)), Error::ShortData);
    c.declaredLength = 0xFFFFFFFF;
    EXPECT_EQ(refusal(buildFirmwareFile(c)), Error::TooLarge);
    auto cut = buildFirmwareFile(ofSize(9000));
    cut.resize(39);
    EXPECT_EQ(refusal(cut), Error::ShortHeader);
}

TEST(FirmwareFile, CheckWord)
{
    // By hand: the header sums to 2 (L = 257), 257 bytes of 0xFF to 65535. Each sum gets one added,
    // the data's becoming 65536, and the total wraps to 3. The check word's own bytes never count.
    std::array<std::uint8_t, 40> header{};
    header[0] = 1, header[1] = 1, header[38] = 0x55, header[39] = 0xAA;
    EXPECT_EQ(CFirmwareFile::checkWord(header, std::vector<std::uint8_t>(257, 0xFF)), 3);

    CFirmwareFile file;
    for (const int error : {1, -1}) {
        FirmwareImageContents c = ofSize(9000);
        c.checkWordError = error;
        const auto l = loadBytes(file, buildFirmwareFile(c));
        EXPECT_FALSE(l.ok);
        EXPECT_EQ(file.error(), Error::CheckWord);
        EXPECT_EQ(l.name, "untouched"); // a refusal leaves the caller's values alone
    }
    auto damaged = buildFirmwareFile(ofSize(9000));
    damaged[10] ^= 0x04; // an unused header byte still counts
    EXPECT_FALSE(loadBytes(file, damaged).ok);

    // Only the first L mod 65536 data bytes count: for 70000 bytes, the first 4464.
    auto longImage = buildFirmwareFile(ofSize(70000));
    longImage[40 + 4464] ^= 0x04;
    EXPECT_TRUE(loadBytes(file, longImage).ok) << file.errorString();
    longImage[40 + 4463] ^= 0x04;
    EXPECT_FALSE(loadBytes(file, longImage).ok);
}

TEST(FirmwareFile, LoadsFromDiskAndNamesTheFileWhenItCannot)
{
    const fs::path dir = fs::temp_directory_path() / ("tarvola-fw-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "k480.img").string();
    auto bytes = buildFirmwareFile(ofSize(9000));
    bytes.insert(bytes.end(), 300, 0x99); // past the L data bytes: not the image's
    ASSERT_TRUE(writeBinaryFile(path, bytes));

    CFirmwareFile file;
    std::uint16_t version = 0, format = 0;
    std::string name;
    ASSERT_TRUE(file.load(path, version, name, format)) << file.errorString();
    EXPECT_EQ(file.image().size(), 8940u);

    EXPECT_FALSE(file.load((dir / "missing.img").string(), version, name, format));
    EXPECT_EQ(file.error(), Error::CannotOpen);
    EXPECT_NE(file.errorString().find("missing.img"), std::string::npos);
    EXPECT_FALSE(file.load(dir.string(), version, name, format)); // a folder opens, but does not read
    EXPECT_EQ(file.error(), Error::ReadFailed);
    fs::remove_all(dir);
}
