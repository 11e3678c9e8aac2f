// The link check and the connection sequence of CLPGDevice.

#include <algorithm>
#include <atomic>

#include "lang/translate.h"
#include "device/CLPGDevice.h"
#include "device/DiagPolling.h"
#include "link/ControlRequests.h"
#include "link/PortAccess.h"
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
    : m_prompt(prompt), m_link(timing, std::move(port)), m_config(std::move(config))
{
}

CLPGDevice::~CLPGDevice()
{
    // The polling thread uses this object and its sample buffer: it ends, and closes its recording,
    // before we go, however long its last exchange takes.
    stopDiagnostics();
    endPollingInto(&m_diagData);
}

void CLPGDevice::setDemo(bool demo)
{
    if (m_demo.exchange(demo) != demo)
        noteChange(DeviceChange::of(DeviceChange::Connection));
}

void CLPGDevice::setConnected(bool connected)
{
    if (m_connected.exchange(connected) != connected)
        noteChange(DeviceChange::of(DeviceChange::Connection));
}

void CLPGDevice::setOffline(bool offline)
{
    if (m_offline.exchange(offline) != offline)
        noteChange(DeviceChange{DeviceChange::Connection | DeviceChange::Replaced, 0});
}

void CLPGDevice::startDemo()
{
    ChangeBatch batch(*this);
    setDemo(true);
    setConnected(true);
    noteChange(DeviceChange{DeviceChange::Connection | DeviceChange::Replaced, 0});
    readIdentity();
}

CLPGDevice::ChangeBatch::ChangeBatch(CLPGDevice& device) : m_device(device)
{
    std::lock_guard guard(m_device.m_changeLock);
    ++m_device.m_batchDepth;
}

CLPGDevice::ChangeBatch::~ChangeBatch()
{
    DeviceChange ready;
    {
        std::lock_guard guard(m_device.m_changeLock);
        if (--m_device.m_batchDepth > 0 || m_device.m_pendingChange.empty())
            return;
        ready = std::exchange(m_device.m_pendingChange, DeviceChange{});
    }
    if (m_device.m_listener)
        m_device.m_listener->deviceChanged(ready);
}

void CLPGDevice::noteChange(const DeviceChange& change)
{
    if (change.empty())
        return;
    DeviceChange ready;
    {
        std::lock_guard guard(m_changeLock);
        m_pendingChange.merge(change);
        if (m_batchDepth > 0)
            return;
        ready = std::exchange(m_pendingChange, DeviceChange{});
    }
    if (m_listener)
        m_listener->deviceChanged(ready);
}

void CLPGDevice::resetNoLinkMessageForTesting()
{
    g_noLinkMessageShown = false;
}

bool CLPGDevice::checkLink()
{
    m_link.setNativeByteOrder(true);
    ExchangeBuffer reply{};
    std::uint8_t replyLength = 0;
    const bool answered = runAttempts("checkLink", timing().linkCheckAttempts, 0, kControlCode,
                                      controlRequest(kLinkCheckSubCode), isAck, reply, replyLength);
    if (!answered)
        return false;
    if (reply[1] != kControllerMark) {
        // Something answers on this port, but not our controller.
        if (!g_noLinkMessageShown.exchange(true))
            m_prompt.error(translate("Brak połączenia"));
        return false;
    }
    m_link.setNativeByteOrder(false);
    convertReplyPayload(2, reply);
    m_diagAllowed = getU16(reply, 2) == kDiagnosticsAllowedValue;
    return true;
}

bool CLPGDevice::openPort(const std::string& path)
{
    try {
        m_link.reopen(path);
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
    ChangeBatch batch(*this);
    setConnected(false);
    m_identityKnown = false;
    if (!checkLink())
        return false;
    auto between = [this] {
        if (m_pumpWhileConnecting)
            m_prompt.pumpEvents();
    };
    if (!readIdentity())
        m_prompt.error(translate("Nie powiodło się odczytanie wersji urządzenia!"));
    between();
    setConnected(true);
    noteChange(DeviceChange::of(DeviceChange::Replaced));

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
        between();
    }
    if (!readMap()) {
        m_unreadBlocks.push_back("map");
        m_prompt.error(translate("Nie powiodło się wczytanie ustawień urządzenia!"));
    }
    between();
    if (!readSettings(SettingsBlock::AdvancedSetup)) {
        m_unreadBlocks.push_back(layoutOf(SettingsBlock::AdvancedSetup).name);
        m_prompt.error(translate("Nie powiodło się wczytanie ustawień urządzenia!"));
    }
    // The port stays open even when some blocks failed: the fitter can still work with the rest.
    return true;
}

bool CLPGDevice::connect()
{
    ChangeBatch batch(*this);
    rebuildErrorList();
    const std::string last = m_config.readLastPort();
    // The first port this user may not open: when no controller answers anywhere, the cable is
    // probably on that port, and "check the wiring" would send the fitter the wrong way.
    std::string refused;
    const auto tryPort = [&](const std::string& path) {
        if (openPort(path))
            return true;
        if (refused.empty() && isPermissionError(port().lastOpenError()))
            refused = path;
        return false;
    };
    bool found = !last.empty() && tryPort(last);
    if (!found) {
        for (const auto& path : m_portLister ? m_portLister() : listSerialPorts()) {
            // The last port has had its turn; asking it again would only cost another link check.
            if (path != last && tryPort(path)) {
                found = true;
                break;
            }
        }
    }
    if (found)
        return true;
    m_link.close();
    if (!refused.empty())
        m_prompt.error(portPermissionMessage(refused));
    if (!m_prompt.yesNo(
            translate("Nie można połączyć się z modułem. Sprawdź okablowanie. Czy uruchomić w trybie demo?")))
        return false;
    startDemo();
    return true;
}

void CLPGDevice::closePort()
{
    m_link.close();
}

bool CLPGDevice::reconnect()
{
    ChangeBatch batch(*this);
    const std::string last = m_config.readLastPort();
    bool found = !last.empty() && openPort(last);
    if (!found) {
        const auto ports = m_portLister ? m_portLister() : listSerialPorts();
        for (std::size_t i = 0; i < ports.size() && i < kReconnectPorts && !found; ++i)
            found = ports[i] != last && openPort(ports[i]);
    }
    return found;
}

} // namespace tarvola
