#pragma once
// This PC's stamp: four bytes that tell which PC last wrote the controller's base settings.
// It is the first 32 bits of /etc/machine-id (its first eight hex digits, most significant byte
// first), or the host id when that file is missing or unreadable.
//
// The source is replaceable for tests (ScopedPcStampSource); production code never replaces it.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

namespace tarvola {

using PcStamp = std::array<std::uint8_t, 4>;

// The first eight hex digits of a machine-id file; nothing when the file is missing, unreadable or
// does not start with eight hex digits.
std::optional<PcStamp> pcStampFromMachineId(const std::filesystem::path& path);
// The host id of gethostid(), most significant byte first.
std::optional<PcStamp> pcStampFromHostId();
// The machine id at `machineIdPath`, else the host id.
std::optional<PcStamp> systemPcStamp(const std::filesystem::path& machineIdPath = "/etc/machine-id");

// This PC's stamp from the current source (systemPcStamp unless a test replaced it); nothing when
// the source cannot tell, in which case a writer keeps the previous stamp. Thread-safe.
std::optional<PcStamp> thisPcStamp();

using PcStampSource = std::function<std::optional<PcStamp>()>;

// Replaces the process-wide source for its lifetime and restores the previous one afterwards.
class ScopedPcStampSource {
public:
    explicit ScopedPcStampSource(PcStampSource source);
    ~ScopedPcStampSource();
    ScopedPcStampSource(const ScopedPcStampSource&) = delete;
    ScopedPcStampSource& operator=(const ScopedPcStampSource&) = delete;

private:
    PcStampSource m_previous;
};

} // namespace tarvola
