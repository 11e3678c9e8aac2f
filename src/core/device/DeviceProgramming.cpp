// Firmware programming and the bus queries through the controller's gateway.

#include <algorithm>

#include "device/CLPGDevice.h"
#include "link/ControlRequests.h"

namespace tarvola {

namespace {
constexpr std::uint8_t kEnterProgrammingCode = 250;
constexpr std::uint8_t kFirmwareBlockCode = 251;
constexpr std::uint8_t kBusRequestCode = 25;
constexpr std::uint8_t kBusRequestsCode = 23;
constexpr std::uint8_t kBusReplyCode = 24;
constexpr std::size_t kMaxBusRequests = (255 - 14) / 4;

// Word addresses the programmer writes: the vector page and the application area; the boot loader
// between them is never touched.
bool isProgrammedWordAddress(std::uint32_t word)
{
    return word >= 128 && (word < 256 || word >= 4096);
}
} // namespace

bool CLPGDevice::enterProgramming()
{
    std::array<std::uint8_t, 8> code{};
    std::copy_n(kProgrammingAccessCode, code.size(), code.begin());
    return blockWrite("enterProgramming", kEnterProgrammingCode, code, timing().singleAttempt);
}

bool CLPGDevice::writeFirmwareBlock(std::uint16_t wordAddress, std::span<const std::uint8_t, kFirmwareBlockSize> data)
{
    std::array<std::uint8_t, 2 + kFirmwareBlockSize> payload{};
    // Code 251 is not converted: the word address travels low byte first.
    putU16(payload, 0, wordAddress);
    std::copy(data.begin(), data.end(), payload.begin() + 2);
    return blockWrite("writeFirmwareBlock", kFirmwareBlockCode, payload, timing().firmwareAttempts);
}

bool CLPGDevice::writeFirmware(std::span<const std::uint8_t> image, std::size_t blockCount,
                               const FirmwareProgress& progress)
{
    std::size_t total = 0;
    std::uint32_t w = 0;
    for (std::size_t b = 0; b < blockCount && w < kFirmwareEndWordAddress; ++b, w += kFirmwareBlockSize / 2)
        total += isProgrammedWordAddress(w) ? 1 : 0;
    std::size_t sent = 0;
    std::uint32_t word = 0;
    for (std::size_t block = 0; block < blockCount && word < kFirmwareEndWordAddress;
         ++block, word += kFirmwareBlockSize / 2) {
        if (!isProgrammedWordAddress(word))
            continue;
        std::array<std::uint8_t, kFirmwareBlockSize> data{};
        const std::size_t offset = 2 * static_cast<std::size_t>(word);
        if (offset < image.size())
            std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(offset),
                        std::min(kFirmwareBlockSize, image.size() - offset), data.begin());
        if (!writeFirmwareBlock(static_cast<std::uint16_t>(word), data))
            return false;
        if (progress)
            progress(++sent, total);
    }
    return true;
}

bool CLPGDevice::firmwareRequest(const char* operation, std::uint8_t subCode)
{
    if (m_demo)
        return true;
    ExchangeBuffer reply{};
    std::uint8_t len = 0;
    // Any control reply ends the attempts; only an acknowledge is success.
    if (!runAttempts(
            operation, timing().firmwareAttempts, 0, kControlCode, controlRequest(subCode),
            [](std::uint8_t, std::uint8_t c, const ExchangeBuffer&) { return c == kControlCode; }, reply, len))
        return false;
    return isAck(len, kControlCode, reply);
}

bool CLPGDevice::firmwareRequest96()
{
    return firmwareRequest("firmwareRequest96", 96);
}

bool CLPGDevice::firmwareRequest10()
{
    return firmwareRequest("firmwareRequest10", 10);
}

bool CLPGDevice::busRequest(std::span<const std::uint8_t, 20> request, std::vector<std::uint8_t>& reply)
{
    if (m_demo)
        return false;
    ExchangeBuffer buffer{};
    std::uint8_t len = 0;
    if (!runAttempts(
            "busRequest", timing().singleAttempt, 0, kBusRequestCode, request,
            [](std::uint8_t, std::uint8_t c, const ExchangeBuffer&) { return c == kBusReplyCode; }, buffer, len))
        return false;
    reply.assign(buffer.begin(), buffer.begin() + len);
    return true;
}

bool CLPGDevice::busRequests(std::uint32_t requestId, std::uint32_t filterId, std::uint32_t filterMask,
                             std::span<const BusRequestItem> requests, std::vector<std::uint8_t>& reply)
{
    if (m_demo || requests.empty() || requests.size() > kMaxBusRequests)
        return false;
    std::array<std::uint8_t, 255> payload{};
    putU32(payload, 0, requestId);
    putU32(payload, 4, filterId);
    putU32(payload, 8, filterMask);
    putU16(payload, 12, static_cast<std::uint16_t>(requests.size()));
    for (std::size_t i = 0; i < requests.size(); ++i) {
        payload[14 + 4 * i] = requests[i].length;
        payload[15 + 4 * i] = requests[i].service;
        payload[16 + 4 * i] = requests[i].pid;
    }
    ExchangeBuffer buffer{};
    std::uint8_t len = 0;
    if (!runAttempts(
            "busRequests", timing().singleAttempt, 0, kBusRequestsCode,
            std::span<const std::uint8_t>(payload.data(), 14 + 4 * requests.size()),
            [](std::uint8_t, std::uint8_t c, const ExchangeBuffer&) { return c == kBusReplyCode; }, buffer, len))
        return false;
    reply.assign(buffer.begin(), buffer.begin() + len);
    return true;
}

} // namespace tarvola
