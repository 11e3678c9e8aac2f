// Frame exchanges, the link check and the connection sequence of CLPGDevice.

#include <algorithm>
#include <atomic>

#include "lang/translate.h"
#include "link/CLPGDevice.h"
#include "link/ControlRequests.h"
#include "link/PortList.h"
#include "platform/Clock.h"

namespace tarvola {

namespace {
// "Brak połączenia" is shown once per run, however many ports answer without our mark.
std::atomic<bool> g_noLinkMessageShown{false};

constexpr std::uint8_t kLinkCheckSubCode = 0xCC;
constexpr std::uint8_t kControllerMark = 0x21; // '!'
constexpr std::uint16_t kDiagnosticsAllowedValue = 85;
} // namespace

CLPGDevice::CLPGDevice(IUserPrompt& prompt, LinkTiming timing, AppConfig config, std::unique_ptr<CSerialPort> port)
    : m_prompt(prompt), m_timing(timing), m_config(std::move(config)),
      m_port(port ? std::move(port) : std::make_unique<CSerialPort>())
{
}

CLPGDevice::~CLPGDevice()
{
    // The polling thread uses this object: it ends, and closes its recording, before we go.
    stopDiagnostics();
}

void CLPGDevice::setDemo(bool demo)
{
    m_demo = demo;
}

void CLPGDevice::resetNoLinkMessageForTesting()
{
    g_noLinkMessageShown = false;
}

void CLPGDevice::trace(IFrameObserver::Direction direction, std::span<const std::uint8_t> bytes,
                       const char* operation)
{
    if (m_observer)
        m_observer->onFrame(direction, bytes, operation ? operation : "");
}

bool CLPGDevice::sendReceive(ExchangeBuffer& buffer, std::uint8_t& length, std::uint8_t& code, const char* operation)
{
    return exchange(buffer, length, code, operation, ReadMode::CompleteLateBytes);
}

int CLPGDevice::sendReceiveStatus(ExchangeBuffer& buffer, std::uint8_t& length, std::uint8_t& code,
                                  const char* operation)
{
    return exchange(buffer, length, code, operation, ReadMode::FailShortRead) ? PollRead : PollFailed;
}

bool CLPGDevice::exchange(ExchangeBuffer& buffer, std::uint8_t& length, std::uint8_t& code, const char* operation,
                          ReadMode mode)
{
    CMutexGuard guard(m_exchangeLock);

    // The checksum is taken before conversion; a byte sum does not care about byte order anyway.
    const std::uint16_t checksum = frameChecksum(length, code, buffer);
    if (!m_nativeByteOrder)
        convertRequestPayload(code, buffer);

    std::array<std::uint8_t, kExchangeBufferSize> frame{};
    frame[0] = kFrameStart1;
    frame[1] = kFrameStart2;
    frame[2] = length;
    frame[3] = code;
    std::copy_n(buffer.begin(), length, frame.begin() + 4);
    frame[4 + length] = static_cast<std::uint8_t>(checksum >> 8);
    frame[5 + length] = static_cast<std::uint8_t>(checksum & 0xFF);
    const std::size_t frameSize = length + kFrameOverhead;

    // Stale input (the tail of an earlier bad reply, line noise) must not be taken for this reply.
    m_port->purgeIn();
    m_port->write(frame.data(), frameSize);
    trace(IFrameObserver::Direction::Sent, std::span(frame.data(), frameSize), operation);
    if (m_port->clearCommError() != 0)
        return false;

    // Received bytes are gathered here only for the trace.
    std::array<std::uint8_t, 4 + 257> received{};
    std::size_t receivedCount = 0;
    const auto traceReceived = [&] {
        trace(IFrameObserver::Direction::Received, std::span(received.data(), receivedCount), operation);
    };

    std::array<std::uint8_t, 4> header{};
    const std::size_t got = m_port->read(header.data(), header.size());
    std::copy_n(header.begin(), got, received.begin());
    receivedCount = got;
    if (got < header.size() || header[0] != kFrameStart1 || header[1] != kFrameStart2) {
        // A wrong start pair leaves the rest in the driver; the next exchange's purge drops it.
        traceReceived();
        return false;
    }

    const std::uint8_t replyLength = header[2];
    const std::uint8_t replyCode = header[3];
    const std::size_t need = static_cast<std::size_t>(replyLength) + 2; // payload and checksum, at most 257
    buffer.fill(0);
    if (m_port->clearCommError() != 0) {
        traceReceived();
        return false;
    }

    std::size_t have = m_port->read(buffer.data(), need);
    if (have < need && mode == ReadMode::CompleteLateBytes) {
        sleepMs(m_timing.shortReplyPauseMs);
        have += m_port->read(buffer.data() + have, need - have);
    }
    std::copy_n(buffer.begin(), have, received.begin() + 4);
    receivedCount += have;
    traceReceived();
    if (have < need) {
        // Still incomplete: whatever sits where the checksum should be is not one.
        buffer.fill(0);
        return false;
    }

    const std::uint16_t sent =
        static_cast<std::uint16_t>((buffer[replyLength] << 8) | buffer[static_cast<std::size_t>(replyLength) + 1]);
    // Bytes past the reply's length read as 0 for the caller.
    buffer[replyLength] = 0;
    buffer[static_cast<std::size_t>(replyLength) + 1] = 0;
    if (sent != frameChecksum(replyLength, replyCode, buffer))
        return false;

    length = replyLength;
    code = replyCode;
    if (!m_nativeByteOrder)
        convertReplyPayload(replyCode, buffer);
    return m_port->clearCommError() == 0;
}

bool CLPGDevice::checkLink()
{
    m_nativeByteOrder = true;
    ExchangeBuffer reply{};
    std::uint8_t replyLength = 0;
    const bool answered = runAttempts("checkLink", m_timing.linkCheckAttempts, 0, kControlCode,
                                      controlRequest(kLinkCheckSubCode), isAck, reply, replyLength);
    if (!answered)
        return false;
    if (reply[1] != kControllerMark) {
        // Something answers on this port, but not our controller.
        if (!g_noLinkMessageShown.exchange(true))
            m_prompt.error(translate("Brak połączenia"));
        return false;
    }
    m_nativeByteOrder = false;
    convertReplyPayload(2, reply);
    m_diagAllowed = getU16(reply, 2) == kDiagnosticsAllowedValue;
    return true;
}

bool CLPGDevice::openPort(const std::string& path)
{
    try {
        {
            CMutexGuard guard(m_exchangeLock);
            m_port->close();
            m_port->open(path);
            m_port->configure(m_timing);
        }
        if (!initialRead())
            return false;
        m_config.writeLastPort(path);
        return true;
    } catch (const IError&) {
        // A search over many ports stays quiet: this port simply did not answer.
        return false;
    }
}

bool CLPGDevice::initialRead()
{
    if (m_demo)
        return true;
    m_connected = false;
    m_identityKnown = false;
    if (!checkLink())
        return false;
    if (!readIdentity())
        m_prompt.error(translate("Nie powiodło się odczytanie wersji urządzenia!"));
    m_connected = true;
    notifyConnectionChanged();

    // The sensor block first: the temperatures of the later blocks convert through its sensor types.
    m_unreadBlocks.clear();
    static constexpr SettingsBlock kReadOrder[] = {SettingsBlock::SensorsSetup, SettingsBlock::Base,
                                                   SettingsBlock::Adv,          SettingsBlock::MainCorr,
                                                   SettingsBlock::SetupTimes};
    for (auto block : kReadOrder) {
        if (!readSettings(block)) {
            m_unreadBlocks.push_back(layoutOf(block).name);
            m_prompt.error(translate("Nie powiodło się wczytanie ustawień urządzenia!"));
        }
    }
    if (!readMap()) {
        m_unreadBlocks.push_back("map");
        m_prompt.error(translate("Nie powiodło się wczytanie ustawień urządzenia!"));
    }
    if (!readSettings(SettingsBlock::AdvancedSetup)) {
        m_unreadBlocks.push_back(layoutOf(SettingsBlock::AdvancedSetup).name);
        m_prompt.error(translate("Nie powiodło się wczytanie ustawień urządzenia!"));
    }
    // The port stays open even when some blocks failed: the fitter can still work with the rest.
    return true;
}

bool CLPGDevice::connect()
{
    rebuildErrorList();
    const std::string last = m_config.readLastPort();
    bool found = !last.empty() && openPort(last);
    if (!found) {
        for (const auto& path : m_portLister ? m_portLister() : listSerialPorts()) {
            // The last port has had its turn; asking it again would only cost another link check.
            if (path != last && openPort(path)) {
                found = true;
                break;
            }
        }
    }
    if (found) {
        notifyConnectionChanged();
        return true;
    }
    {
        CMutexGuard guard(m_exchangeLock);
        m_port->close();
    }
    if (!m_prompt.yesNo(
            translate("Nie można połączyć się z modułem. Sprawdź okablowanie. Czy uruchomić w trybie demo?")))
        return false;
    m_demo = true;
    m_connected = true;
    notifyConnectionChanged();
    readIdentity();
    return true;
}

void CLPGDevice::closePort()
{
    CMutexGuard guard(m_exchangeLock);
    m_port->close();
}

bool CLPGDevice::reconnect()
{
    const std::string last = m_config.readLastPort();
    bool found = !last.empty() && openPort(last);
    if (!found) {
        const auto ports = m_portLister ? m_portLister() : listSerialPorts();
        for (std::size_t i = 0; i < ports.size() && i < kReconnectPorts && !found; ++i)
            found = ports[i] != last && openPort(ports[i]);
    }
    notifyConnectionChanged();
    return found;
}

void CLPGDevice::notifyConnectionChanged()
{
    if (m_listener)
        m_listener->connectionChanged();
}

} // namespace tarvola
