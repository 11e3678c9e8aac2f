// The settings record's blocks and the fuel map between the controller and CLPGDevice::m_settings,
// through the block encodings of BlockCodecs.

#include <array>

#include "device/CLPGDevice.h"
#include "platform/PcStamp.h"
#include "settings/BlockCodecs.h"

namespace tarvola {

namespace {
// Large enough for the largest settings block (the setup times, 42 bytes).
using BlockBuffer = std::array<std::uint8_t, kSetupTimesBlockSize>;

bool decodeInto(SettingsBlock block, std::span<const std::uint8_t> payload, CDeviceSettings& settings)
{
    switch (block) {
    case SettingsBlock::Base: return decodeBase(payload, settings);
    case SettingsBlock::Adv: return decodeAdv(payload, settings);
    case SettingsBlock::AdvancedSetup: return decodeAdvancedSetup(payload, settings);
    case SettingsBlock::MainCorr: return decodeMainCorr(payload, settings);
    case SettingsBlock::SetupTimes: return decodeSetupTimes(payload, settings);
    case SettingsBlock::SensorsSetup: return decodeSensorsSetup(payload, settings);
    default: return false; // the OBD records are not part of the settings record
    }
}

// The encoded block's length, or 0 for a block the record does not hold.
std::size_t encodeFrom(SettingsBlock block, const CDeviceSettings& settings, BlockBuffer& out)
{
    switch (block) {
    case SettingsBlock::Base: encodeBase(settings, std::span(out).first<kBaseBlockSize>()); return kBaseBlockSize;
    case SettingsBlock::Adv: encodeAdv(settings, std::span(out).first<kAdvBlockSize>()); return kAdvBlockSize;
    case SettingsBlock::AdvancedSetup:
        encodeAdvancedSetup(settings, std::span(out).first<kAdvancedSetupBlockSize>());
        return kAdvancedSetupBlockSize;
    case SettingsBlock::MainCorr:
        encodeMainCorr(settings, std::span(out).first<kMainCorrBlockSize>());
        return kMainCorrBlockSize;
    case SettingsBlock::SetupTimes:
        encodeSetupTimes(settings, std::span(out).first<kSetupTimesBlockSize>());
        return kSetupTimesBlockSize;
    case SettingsBlock::SensorsSetup:
        encodeSensorsSetup(settings, std::span(out).first<kSensorsSetupBlockSize>());
        return kSensorsSetupBlockSize;
    default: return 0;
    }
}

bool isRecordBlock(SettingsBlock block)
{
    return block != SettingsBlock::ObdConnection && block != SettingsBlock::ObdCorrection;
}
} // namespace

bool CLPGDevice::readSettings(SettingsBlock block)
{
    if (!isRecordBlock(block))
        return false;
    // Demo mode has no blocks to read; the record keeps what it holds.
    if (isDemo())
        return true;
    BlockBuffer payload{};
    const std::size_t size = layoutOf(block).size;
    if (!readSettingsBlock(block, std::span(payload).first(size)))
        return false;
    const bool decoded = decodeInto(block, std::span(payload).first(size), m_settings);
    noteChange(DeviceChange::ofBlock(block));
    return decoded;
}

bool CLPGDevice::writeSettings(SettingsBlock block)
{
    if (!isRecordBlock(block))
        return false;
    if (m_offline) {
        // A file prepared at the desk: the record is all there is to write. It keeps the stamp of
        // the PC that last wrote the controller it came from.
        noteChange(DeviceChange::ofBlock(block));
        return true;
    }
    if (block == SettingsBlock::Base) {
        // The controller remembers which PC wrote its settings last; when this PC cannot tell its
        // own stamp the previous one goes out unchanged.
        if (const auto stamp = thisPcStamp())
            m_settings.m_base.m_pcStamp = *stamp;
    }
    BlockBuffer payload{};
    const std::size_t size = encodeFrom(block, m_settings, payload);
    // Announced whether or not the write went through: the caller changed the record before it.
    noteChange(DeviceChange::ofBlock(block));
    return writeSettingsBlock(block, std::span(payload).first(size));
}

bool CLPGDevice::readMap()
{
    // readMapBlock succeeds in demo mode without filling the block; decoding that untouched block
    // would turn every cell into -100 %, so demo mode keeps the record's map.
    if (isDemo())
        return true;
    MapBlock block{};
    if (!readMapBlock(block))
        return false;
    decodeMap(block, m_settings);
    noteChange(DeviceChange::of(DeviceChange::Map));
    return true;
}

bool CLPGDevice::writeMap()
{
    MapBlock block{};
    encodeMap(m_settings, block);
    noteChange(DeviceChange::of(DeviceChange::Map));
    return writeMapBlock(block);
}

} // namespace tarvola
