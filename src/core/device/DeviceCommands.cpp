// The controller command set: control requests, block reads and writes, memory and map transfers,
// work-mode switches and the live poll.

#include <algorithm>
#include <cmath>

#include "device/CLPGDevice.h"
#include "link/ControlRequests.h"
#include "platform/Clock.h"

namespace tarvola {

namespace {
namespace sub {
constexpr std::uint8_t SwitchGas = 1, SwitchPetrol = 2, SwitchAuto = 3, ErrorFlags = 5, Poll = 6,
                       MemoryRead = 11, Identity = 13, Statistics = 17, ClearErrors = 10, StoreMap = 19,
                       ClearMap = 20, ActiveInjectors = 23, ErasePetrolMap = 28, EraseGasMap = 29,
                       ReadPetrolMap = 30, ReadGasMap = 31, PollVariant = 36, ReadPetrolMapVariant = 37,
                       ReadGasMapVariant = 38;
}
namespace code {
constexpr std::uint8_t Poll = 1, Memory = 5, ErrorFlags = 6, Identity = 8, Statistics = 12, EditMapRange = 13,
                       SetMapCell = 14, PetrolMap = 19, GasMap = 20, PetrolMapVariant = 28, GasMapVariant = 29;
}

} // namespace

bool CLPGDevice::runAttempts(const char* operation, int attempts, std::uint32_t pauseMs, std::uint8_t code,
                             std::span<const std::uint8_t> payload, const AcceptFn& accept, ExchangeBuffer& reply,
                             std::uint8_t& replyLength)
{
    const std::size_t length = std::min(payload.size(), std::size_t{255});
    for (int attempt = 0; attempt < attempts; ++attempt) {
        sleepMs(pauseMs);
        // The exchange converts byte order in place, so the request is rebuilt for every attempt.
        reply.fill(0);
        std::copy_n(payload.begin(), length, reply.begin());
        std::uint8_t len = static_cast<std::uint8_t>(length);
        std::uint8_t replyCode = code;
        if (sendReceive(reply, len, replyCode, operation) && accept(len, replyCode, reply)) {
            replyLength = len;
            return true;
        }
    }
    return false;
}

bool CLPGDevice::controlAck(const char* operation, std::uint8_t subCode, std::uint16_t argument, std::uint32_t pauseMs)
{
    if (m_demo)
        return true;
    ExchangeBuffer reply{};
    std::uint8_t len = 0;
    return runAttempts(operation, timing().attempts, pauseMs, kControlCode, controlRequest(subCode, argument), isAck,
                       reply, len);
}

bool CLPGDevice::controlRead(const char* operation, std::uint8_t subCode, std::uint8_t replyCode,
                             std::span<std::uint8_t> out, std::uint16_t argument)
{
    ExchangeBuffer reply{};
    std::uint8_t len = 0;
    const bool ok = runAttempts(
        operation, timing().attempts, 0, kControlCode, controlRequest(subCode, argument),
        [replyCode](std::uint8_t, std::uint8_t c, const ExchangeBuffer&) { return c == replyCode; }, reply, len);
    if (ok)
        std::copy_n(reply.begin(), std::min(out.size(), reply.size()), out.begin());
    return ok;
}

bool CLPGDevice::blockWrite(const char* operation, std::uint8_t code, std::span<const std::uint8_t> payload,
                            int attempts)
{
    if (m_demo)
        return true;
    ExchangeBuffer reply{};
    std::uint8_t len = 0;
    return runAttempts(operation, attempts, 0, code, payload, isAck, reply, len);
}

// ---- identity, statistics, settings blocks, error flags ----

bool CLPGDevice::readIdentity()
{
    if (m_demo) {
        m_settings.m_devInfo.m_version = 768;
        m_settings.m_devInfo.m_serial = "qx001";
        m_settings.m_devInfo.m_serialEnciphered = false;
        m_identityKnown = true;
        noteChange(DeviceChange::of(DeviceChange::Identity));
        return true;
    }
    std::array<std::uint8_t, kIdentityReplySize> payload{};
    if (!controlRead("readIdentity", sub::Identity, code::Identity, payload))
        return false;
    decodeIdentity(payload, m_settings.m_devInfo);
    noteChange(DeviceChange::of(DeviceChange::Identity));
    m_identityKnown = true;
    return true;
}

bool CLPGDevice::readStatistics()
{
    if (m_demo) {
        m_settings.m_devInfo.m_statistic = {30, 45, 1};
        noteChange(DeviceChange::of(DeviceChange::Identity));
        return true;
    }
    std::array<std::uint8_t, kStatisticsReplySize> payload{};
    if (!controlRead("readStatistics", sub::Statistics, code::Statistics, payload))
        return false;
    decodeStatistics(payload, m_settings.m_devInfo.m_statistic);
    noteChange(DeviceChange::of(DeviceChange::Identity));
    return true;
}

bool CLPGDevice::readSettingsBlock(SettingsBlock block, std::span<std::uint8_t> out)
{
    if (m_demo)
        return true;
    const auto& layout = layoutOf(block);
    const std::size_t n = std::min<std::size_t>(out.size(), layout.size);
    return controlRead(layout.name, layout.readSubCode, layout.replyCode, out.first(n));
}

bool CLPGDevice::writeSettingsBlock(SettingsBlock block, std::span<const std::uint8_t> payload)
{
    const auto& layout = layoutOf(block);
    std::array<std::uint8_t, 255> bytes{};
    std::copy_n(payload.begin(), std::min<std::size_t>(payload.size(), layout.size), bytes.begin());
    return blockWrite(layout.name, layout.writeCode, std::span(bytes.data(), layout.size), timing().attempts);
}

bool CLPGDevice::readErrorFlags(std::array<std::uint8_t, 4>& flags)
{
    if (m_demo) {
        flags = {0, 0, 0, 0};
        return true;
    }
    return controlRead("readErrorFlags", sub::ErrorFlags, code::ErrorFlags, flags);
}

// ---- controller memory and the fuel map ----

bool CLPGDevice::readMemory(std::uint16_t address, std::span<std::uint8_t, kMemoryPieceSize> data)
{
    if (m_demo)
        return true;
    std::array<std::uint8_t, 2 + kMemoryPieceSize> reply{};
    if (!controlRead("readMemory", sub::MemoryRead, code::Memory, reply, address))
        return false;
    std::copy_n(reply.begin() + 2, kMemoryPieceSize, data.begin());
    return true;
}

bool CLPGDevice::writeMemory(std::uint16_t address, std::span<const std::uint8_t, kMemoryPieceSize> data)
{
    std::array<std::uint8_t, 2 + kMemoryPieceSize> payload{};
    putU16(payload, 0, address);
    std::copy(data.begin(), data.end(), payload.begin() + 2);
    return blockWrite("writeMemory", code::Memory, payload, timing().attempts);
}

bool CLPGDevice::readMemoryRange(std::uint16_t address, std::span<std::uint8_t> data)
{
    std::vector<std::uint8_t> bytes(data.size(), 0);
    for (std::size_t at = 0; at + kMemoryPieceSize <= bytes.size(); at += kMemoryPieceSize) {
        const auto pieceAddress = static_cast<std::uint16_t>(address + at);
        if (!readMemory(pieceAddress, std::span<std::uint8_t, kMemoryPieceSize>(bytes.data() + at, kMemoryPieceSize)))
            return false;
        // The map alone is nine pieces, a tenth of a second on the wire.
        if (m_pumpWhileConnecting)
            m_prompt.pumpEvents();
    }
    if (!m_demo)
        std::copy(bytes.begin(), bytes.end(), data.begin());
    return true;
}

bool CLPGDevice::writeMemoryRange(std::uint16_t address, std::span<const std::uint8_t> data)
{
    for (std::size_t at = 0; at + kMemoryPieceSize <= data.size(); at += kMemoryPieceSize) {
        const auto pieceAddress = static_cast<std::uint16_t>(address + at);
        if (!writeMemory(pieceAddress, std::span<const std::uint8_t, kMemoryPieceSize>(data.data() + at,
                                                                                       kMemoryPieceSize)))
            return false;
    }
    return true;
}

bool CLPGDevice::readMapBlock(MapBlock& block)
{
    if (m_demo)
        return true;
    MapBlock read{};
    if (!readMemoryRange(kMapBlockAddress, read))
        return false;
    if (storedMapCheckValue(read) != mapCheckValue(read))
        return false;
    block = read;
    return true;
}

bool CLPGDevice::writeMapBlock(MapBlock& block)
{
    sealMapBlock(block);
    if (m_demo)
        return true;
    if (!writeMemoryRange(kMapBlockAddress, block))
        return false;
    // Read the last piece back: its last two bytes must be the check value just sent.
    std::array<std::uint8_t, kMemoryPieceSize> last{};
    if (!readMemory(kMapLastPieceAddress, last))
        return false;
    return last[30] == block[kMapBlockSize - 2] && last[31] == block[kMapBlockSize - 1];
}

bool CLPGDevice::storeMap()
{
    return controlAck("storeMap", sub::StoreMap);
}

bool CLPGDevice::clearMap()
{
    return controlAck("clearMap", sub::ClearMap);
}

bool CLPGDevice::editMapRange(std::uint8_t firstRow, std::uint8_t firstColumn, std::uint8_t rows,
                              std::uint8_t columns, MapEdit operation, std::uint8_t value)
{
    const std::array<std::uint8_t, 6> payload{firstRow, firstColumn, rows, columns,
                                              static_cast<std::uint8_t>(operation), value};
    return blockWrite("editMapRange", code::EditMapRange, payload, timing().attempts);
}

bool CLPGDevice::setMapCell(std::uint8_t row, std::uint8_t column, int percent)
{
    std::array<std::uint8_t, 4> payload{row, column, 0, 0};
    // Code 14 is not converted, so the value travels low byte first.
    putU16(payload, 2, static_cast<std::uint16_t>(percent + 100));
    return blockWrite("setMapCell", code::SetMapCell, payload, timing().attempts);
}

// ---- point maps ----

bool CLPGDevice::readPointMap(bool gas, CPointMap& map)
{
    if (m_demo) {
        map = demoPointMap(gas);
        return true;
    }
    const bool variant = m_settings.m_devInfo.m_deviceID == kVariantDeviceId;
    const std::uint8_t subCode = gas ? (variant ? sub::ReadGasMapVariant : sub::ReadGasMap)
                                     : (variant ? sub::ReadPetrolMapVariant : sub::ReadPetrolMap);
    const std::uint8_t replyCode = gas ? (variant ? code::GasMapVariant : code::GasMap)
                                       : (variant ? code::PetrolMapVariant : code::PetrolMap);
    ExchangeBuffer reply{};
    std::uint8_t len = 0;
    const bool ok = runAttempts(
        gas ? "readGasMap" : "readPetrolMap", timing().attempts, 0, kControlCode, controlRequest(subCode),
        [replyCode](std::uint8_t l, std::uint8_t c, const ExchangeBuffer&) {
            return c == replyCode && l == kPointMapSize;
        },
        reply, len);
    if (ok)
        map = decodePointMap(std::span<const std::uint8_t, kPointMapSize>(reply.data(), kPointMapSize));
    return ok;
}

bool CLPGDevice::readPetrolMap(CPointMap& map)
{
    return readPointMap(false, map);
}

bool CLPGDevice::readGasMap(CPointMap& map)
{
    return readPointMap(true, map);
}

bool CLPGDevice::erasePetrolMap()
{
    return controlAck("erasePetrolMap", sub::ErasePetrolMap);
}

bool CLPGDevice::eraseGasMap()
{
    return controlAck("eraseGasMap", sub::EraseGasMap);
}

// ---- work modes ----

bool CLPGDevice::switchToGas()
{
    if (m_demo) {
        m_demoWorkMode = ModeGas;
        return true;
    }
    return controlAck("switchToGas", sub::SwitchGas, 0, timing().switchPauseMs);
}

bool CLPGDevice::switchToPetrol()
{
    if (m_demo) {
        m_demoWorkMode = ModePetrol;
        return true;
    }
    return controlAck("switchToPetrol", sub::SwitchPetrol, 0, timing().switchPauseMs);
}

bool CLPGDevice::switchToAuto()
{
    switchToPetrol();
    if (m_demo)
        return true;
    ExchangeBuffer reply{};
    std::uint8_t len = 0;
    return runAttempts(
        "switchToAuto", timing().attempts, timing().switchPauseMs, kControlCode, controlRequest(sub::SwitchAuto),
        [](std::uint8_t, std::uint8_t c, const ExchangeBuffer&) { return c == kControlCode; }, reply, len);
}

bool CLPGDevice::switchToPetrolAndWait()
{
    if (m_demo) {
        sleepMs(timing().demoPetrolWaitMs);
        m_demoWorkMode = ModePetrol;
        return true;
    }
    if (!switchToPetrol())
        return false;

    // The poll budget: one poll per pause for as long as all cylinders take to leave gas.
    const double budget = static_cast<double>(m_settings.m_devInfo.m_injCount) * m_settings.m_base.m_emulatorDelay *
                          1000.0 / timing().petrolPollPauseMs;
    std::uint32_t polls = budget > 0 ? static_cast<std::uint32_t>(std::min(budget, 4.0e9)) : 0;
    // With no budget (an emulator delay of 0) the step still must end: it gives up after a bounded
    // time, or as soon as the controller stops answering.
    const bool unbounded = polls == 0;
    const auto started = SteadyClock::now();
    int failedInRow = 0;

    std::uint8_t lastMode = ModeGas;
    for (;;) {
        if (lastMode == ModePetrol)
            break;
        if (unbounded) {
            if (elapsedMs(started) >= timing().petrolUnboundedWaitMs ||
                failedInRow >= timing().petrolWaitMaxFailedPolls)
                break;
        } else if (--polls == 0) {
            break;
        }
        DiagPayload sample{};
        if (pollDiagnostics(sample) == PollStatus::Read) {
            lastMode = sample[0];
            failedInRow = 0;
        } else {
            ++failedInRow;
        }
        sleepMs(timing().petrolPollPauseMs);
        m_prompt.pumpEvents();
    }
    return lastMode == ModePetrol;
}

bool CLPGDevice::clearErrors()
{
    if (!switchToPetrolAndWait())
        return false;
    return controlAck("clearErrors", sub::ClearErrors);
}

bool CLPGDevice::resetDevice()
{
    return controlAck("resetDevice", sub::ClearErrors);
}

bool CLPGDevice::goToAutomatic()
{
    return switchToPetrolAndWait() && switchToAuto();
}

bool CLPGDevice::setActiveInjectors(std::uint8_t mask)
{
    return controlAck("setActiveInjectors", sub::ActiveInjectors, mask);
}

std::uint8_t CLPGDevice::injectorMask(const std::array<bool, 8>& onGas)
{
    std::uint8_t mask = 0;
    for (std::size_t i = 0; i < onGas.size(); ++i)
        if (onGas[i])
            mask = static_cast<std::uint8_t>(mask | (1u << i));
    return mask;
}

bool CLPGDevice::acceptsInjectorMask(std::uint8_t workMode) const
{
    return m_settings.m_devInfo.m_version >= kInjectorMaskAnyModeVersion || workMode == ModeGas;
}

// ---- live poll ----

PollStatus CLPGDevice::pollDiagnostics(DiagPayload& sample)
{
    if (m_demo)
        return demoPoll(sample);
    ExchangeBuffer buffer{};
    buffer[0] = m_settings.m_devInfo.m_deviceID == kVariantDeviceId ? sub::PollVariant : sub::Poll;
    std::uint8_t length = 6;
    std::uint8_t replyCode = kControlCode;
    if (!m_link.exchange(buffer, length, replyCode, "pollDiagnostics", CLink::ReadMode::FailShortRead))
        return PollStatus::Failed;
    if (replyCode != code::Poll)
        return PollStatus::UnexpectedReply;
    sample.fill(0);
    // A reply longer than the sample keeps its first 82 bytes.
    std::copy_n(buffer.begin(), std::min<std::size_t>(length, kDiagPayloadSize), sample.begin());
    return PollStatus::Read;
}

} // namespace tarvola
