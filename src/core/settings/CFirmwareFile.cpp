#include "settings/CFirmwareFile.h"
#include "platform/NumberText.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace tarvola {

namespace {

std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at)
{
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::uint16_t le16(std::span<const std::uint8_t> b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

// The byte sum modulo 65536, plus one; 65536 itself is a possible value.
std::uint32_t sumPlusOne(std::span<const std::uint8_t> bytes)
{
    std::uint32_t sum = 0;
    for (const std::uint8_t b : bytes)
        sum += b;
    return (sum & 0xFFFFu) + 1;
}


} // namespace

std::uint16_t CFirmwareFile::checkWord(std::span<const std::uint8_t, kHeaderSize> header,
                                       std::span<const std::uint8_t> data)
{
    std::array<std::uint8_t, kHeaderSize> withoutCheck{};
    std::copy(header.begin(), header.end(), withoutCheck.begin());
    withoutCheck[kCheckWordOffset] = 0;
    withoutCheck[kCheckWordOffset + 1] = 0;
    // Only the low 16 bits of L count here: a longer image sums only its first L mod 65536 bytes.
    const std::size_t counted = std::min<std::size_t>(le32(header, 0) & 0xFFFFu, data.size());
    return static_cast<std::uint16_t>(sumPlusOne(data.first(counted)) + sumPlusOne(withoutCheck));
}

bool CFirmwareFile::fail(Error error, std::string text)
{
    m_image.clear();
    m_error = error;
    m_errorString = std::move(text);
    return false;
}

bool CFirmwareFile::load(const std::string& path, std::uint16_t& version, std::string& deviceName,
                         std::uint16_t& formatWord)
{
    const auto close = [](std::FILE* f) { std::fclose(f); };
    std::unique_ptr<std::FILE, decltype(close)> file(std::fopen(path.c_str(), "rb"), close);
    if (!file)
        return fail(Error::CannotOpen, path + ": cannot be opened (" + std::strerror(errno) + ")");
    // Everything load() looks at fits in the header and the largest data size; a longer file is
    // refused by its L (or its extra tail ignored) without reading the rest.
    std::vector<std::uint8_t> bytes(kHeaderSize + kMaxDataSize);
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
    if (std::ferror(file.get()))
        return fail(Error::ReadFailed, path + ": cannot be read (" + std::strerror(errno) + ")");
    bytes.resize(got);
    if (loadFromBytes(bytes, version, deviceName, formatWord))
        return true;
    m_errorString = path + ": " + m_errorString;
    return false;
}

bool CFirmwareFile::loadFromBytes(std::span<const std::uint8_t> file, std::uint16_t& version,
                                  std::string& deviceName, std::uint16_t& formatWord)
{
    if (file.size() < kHeaderSize)
        return fail(Error::ShortHeader, "the file has " + std::to_string(file.size()) +
                                            " bytes, fewer than the 40 of a firmware image's header");
    std::array<std::uint8_t, kHeaderSize> header{};
    std::transform(file.begin(), file.begin() + kHeaderSize, header.begin(), restoreByte);

    const std::uint32_t declared = le32(header, 0);
    if (declared > kMaxDataSize)
        return fail(Error::TooLarge, "the image announces " + std::to_string(declared) +
                                         " data bytes, more than the " + std::to_string(kMaxDataSize) +
                                         " a controller holds");
    const std::size_t available = file.size() - kHeaderSize;
    if (available < declared)
        return fail(Error::ShortData, "the file ends after " + std::to_string(available) + " of the image's " +
                                          std::to_string(declared) + " data bytes");
    if (declared < kMinDataSize)
        return fail(Error::TooSmall, "the image has " + std::to_string(declared) + " data bytes; an image has at least " +
                                         std::to_string(kMinDataSize));

    std::vector<std::uint8_t> data(declared);
    std::transform(file.begin() + kHeaderSize, file.begin() + kHeaderSize + declared, data.begin(), restoreByte);
    const std::uint16_t stored = le16(header, kCheckWordOffset);
    const std::uint16_t computed = checkWord(header, data);
    if (stored != computed)
        return fail(Error::CheckWord, "the check word is " + hexWordText(stored) + " but the contents give " + hexWordText(computed) +
                                          " (damaged or not a firmware image)");

    // The 60 bytes of the gap go; the rest closes up behind them.
    std::vector<std::uint8_t> image;
    image.reserve(declared - kGapSize);
    image.insert(image.end(), data.begin(), data.begin() + kGapOffset);
    image.insert(image.end(), data.begin() + kGapOffset + kGapSize, data.end());
    m_image = std::move(image);
    m_error = Error::None;
    m_errorString.clear();

    version = le16(header, kVersionOffset);
    formatWord = le16(header, kFormatOffset);
    const auto nameBegin = header.begin() + kNameOffset;
    deviceName.assign(nameBegin, std::find(nameBegin, nameBegin + kNameSize, 0));
    return true;
}

} // namespace tarvola
