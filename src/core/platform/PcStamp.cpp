#include "platform/PcStamp.h"

#include <unistd.h>

#include <fstream>
#include <mutex>
#include <utility>

namespace tarvola {

namespace {
std::mutex& sourceLock()
{
    static std::mutex lock;
    return lock;
}

PcStampSource& currentSource()
{
    static PcStampSource source = [] { return systemPcStamp(); };
    return source;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace

std::optional<PcStamp> pcStampFromMachineId(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    char digits[8];
    if (!in.read(digits, sizeof digits))
        return std::nullopt;
    PcStamp stamp{};
    for (std::size_t i = 0; i < stamp.size(); ++i) {
        const int hi = hexDigit(digits[2 * i]);
        const int lo = hexDigit(digits[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        stamp[i] = static_cast<std::uint8_t>(hi << 4 | lo);
    }
    return stamp;
}

std::optional<PcStamp> pcStampFromHostId()
{
    const auto id = static_cast<std::uint32_t>(::gethostid());
    return PcStamp{static_cast<std::uint8_t>(id >> 24), static_cast<std::uint8_t>(id >> 16),
                   static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id)};
}

std::optional<PcStamp> systemPcStamp(const std::filesystem::path& machineIdPath)
{
    if (auto stamp = pcStampFromMachineId(machineIdPath))
        return stamp;
    return pcStampFromHostId();
}

std::optional<PcStamp> thisPcStamp()
{
    PcStampSource source;
    {
        std::lock_guard guard(sourceLock());
        source = currentSource();
    }
    return source ? source() : std::nullopt;
}

ScopedPcStampSource::ScopedPcStampSource(PcStampSource source)
{
    std::lock_guard guard(sourceLock());
    m_previous = std::exchange(currentSource(), std::move(source));
}

ScopedPcStampSource::~ScopedPcStampSource()
{
    std::lock_guard guard(sourceLock());
    currentSource() = std::move(m_previous);
}

} // namespace tarvola
