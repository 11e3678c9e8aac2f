// Feeds arbitrary bytes to the firmware image reader as a whole file: it loads or refuses with a
// reason, never undefined behaviour. The first input byte picks a mode: when its lowest bit is set,
// the check word is put right before loading, so the fuzzer also reaches the image building behind
// the check instead of stopping at it almost every time. The smallest image takes 8422 input bytes:
// run it with -max_len=100000 or more.

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "settings/CFirmwareFile.h"

using namespace tarvola;

namespace {

std::uint8_t storedByte(std::uint8_t b)
{
    return static_cast<std::uint8_t>((b << 2) | (b >> 6));
}

void repairCheckWord(std::vector<std::uint8_t>& file)
{
    if (file.size() < CFirmwareFile::kHeaderSize)
        return;
    std::array<std::uint8_t, CFirmwareFile::kHeaderSize> header{};
    std::transform(file.begin(), file.begin() + CFirmwareFile::kHeaderSize, header.begin(), CFirmwareFile::restoreByte);
    std::vector<std::uint8_t> data(file.begin() + CFirmwareFile::kHeaderSize, file.end());
    std::transform(data.begin(), data.end(), data.begin(), CFirmwareFile::restoreByte);
    const std::uint32_t declared = header[0] | header[1] << 8 | header[2] << 16 | static_cast<std::uint32_t>(header[3]) << 24;
    data.resize(std::min<std::size_t>(data.size(), declared));
    const std::uint16_t check = CFirmwareFile::checkWord(header, data);
    file[CFirmwareFile::kCheckWordOffset] = storedByte(static_cast<std::uint8_t>(check));
    file[CFirmwareFile::kCheckWordOffset + 1] = storedByte(static_cast<std::uint8_t>(check >> 8));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    if (size == 0)
        return 0;
    std::vector<std::uint8_t> file(bytes + 1, bytes + size);
    if (bytes[0] & 1)
        repairCheckWord(file);

    CFirmwareFile image;
    std::uint16_t version = 0, formatWord = 0;
    std::string name;
    if (image.loadFromBytes(file, version, name, formatWord)) {
        // What the link is handed must agree with itself.
        std::size_t declared = 0;
        for (std::size_t i = 0; i < 4; ++i)
            declared |= static_cast<std::size_t>(CFirmwareFile::restoreByte(file[i])) << (8 * i);
        if (!image.isValid() || image.image().size() + CFirmwareFile::kGapSize != declared ||
            image.blockCount() * CFirmwareFile::kBlockSize < image.image().size() ||
            name.size() > CFirmwareFile::kNameSize || !image.errorString().empty())
            std::abort();
    } else if (image.errorString().empty() || image.isValid()) {
        std::abort();
    }
    return 0;
}
