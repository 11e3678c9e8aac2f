#pragma once
// The controller as the rest of the program sees it: the serial port, the exchange lock, the device
// flags, the settings record, and every command the controller understands.
//
// Every exchange is one request frame and one reply frame under the exchange lock. Commands retry by
// themselves (14 attempts for almost all, 5 for the link check, 3 for firmware blocks, 1 for bus
// queries and the programming entry) and report success as true/false; nothing below them retries.
// Port failures (CRSError) pass through every command to the caller. Reading commands write their
// output only on success. In demo mode nothing is sent: commands succeed at once with fixed values
// (the bus queries fail).
//
// Threads: commands run on the thread that calls them; the exchange lock makes each exchange atomic
// against the polling thread, but is not held between the attempts of a command.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "link/CLink.h"
#include "maps/MapBlock.h"
#include "maps/PointMap.h"
#include "monitor/CDiag.h"
#include "monitor/CDiagData.h"
#include "monitor/CLPGDeviceErr.h"
#include "obd/ObdRecords.h"
#include "platform/AppConfig.h"
#include "platform/IUserPrompt.h"
#include "settings/CDeviceSettings.h"
#include "settings/SettingsBlocks.h"

namespace tarvola {

// What changed in the program's picture of the controller: the record's blocks, the map, the
// identity, the stored faults, the connection. One operation may change several parts at once (a
// connection reads everything); its listener hears them together, once.
struct DeviceChange {
    enum Part : std::uint32_t {
        Connection = 1u << 0,    // connected, disconnected, demo mode entered
        Identity = 1u << 1,      // identity or statistics read
        Map = 1u << 2,           // the correction map read, written, edited, stored or cleared
        StoredErrors = 1u << 3,  // the stored faults read or cleared
        // The whole picture was replaced: a new connection, a settings file loaded, the factory
        // settings, a firmware update. Edits made before it (an undo history) no longer apply.
        Replaced = 1u << 4,
    };
    std::uint32_t parts = 0;
    std::uint32_t blocks = 0;  // bit (1 << SettingsBlock) for every block read or written

    static DeviceChange of(Part part) { return DeviceChange{part, 0}; }
    static DeviceChange ofBlock(SettingsBlock block) { return DeviceChange{0, 1u << static_cast<unsigned>(block)}; }
    bool has(Part part) const { return (parts & part) != 0; }
    bool hasBlock(SettingsBlock block) const { return (blocks & (1u << static_cast<unsigned>(block))) != 0; }
    bool empty() const { return parts == 0 && blocks == 0; }
    void merge(const DeviceChange& other)
    {
        parts |= other.parts;
        blocks |= other.blocks;
    }
    bool operator==(const DeviceChange&) const = default;
};

// Hears what changes in the device. A listener must outlive the device, or be removed with
// setListener(nullptr) before it goes (the device may announce until its polling thread is stopped).
class IDeviceListener {
public:
    virtual ~IDeviceListener() = default;
    // After every operation that changed the program's picture of the controller, once per
    // operation, on the thread that ran it (the polling thread when it marks a lost controller
    // disconnected).
    virtual void deviceChanged(const DeviceChange& /*change*/) {}
    // The polling thread gave up on the controller: the face starts its reconnect timer (1000 ms).
    // Called from the polling thread; the face must hand it over to its own thread.
    virtual void controllerLost() {}
};

constexpr std::size_t kFirmwareBlockSize = 128;
constexpr std::uint32_t kFirmwareEndWordAddress = 45056;
constexpr const char* kProgrammingAccessCode = "QM204817";

class CLPGDevice : public CLPGDeviceErr {
public:
    // The prompt shows the few messages the link itself gives; the config file remembers the port.
    explicit CLPGDevice(IUserPrompt& prompt, LinkTiming timing = LinkTiming::standard(),
                        AppConfig config = AppConfig(), std::unique_ptr<CSerialPort> port = nullptr);
    ~CLPGDevice() override;
    CLPGDevice(const CLPGDevice&) = delete;
    CLPGDevice& operator=(const CLPGDevice&) = delete;

    // ---- state ----
    CDeviceSettings m_settings;
    bool isDemo() const { return m_demo; }
    bool isConnected() const { return m_connected; }
    bool diagnosticsAllowed() const { return m_diagAllowed; }
    bool nativeByteOrder() const { return m_link.nativeByteOrder(); }
    // True once the identity has been read (or filled with the demo identity) on this connection.
    bool identityKnown() const { return m_identityKnown; }
    void setDemo(bool demo);
    // Marks the device connected or not; announced (Connection) when it changes.
    void setConnected(bool connected);
    // Demo mode without asking: demo on, connected, the demo identity; announced once.
    void startDemo();
    // Working offline: the record holds a settings file's settings and no controller is attached.
    // Block writes then change the record only (writeSettings announces the block and sends
    // nothing); the other commands are not for this state and the faces do not offer them.
    bool isOffline() const { return m_offline; }
    // Announced as Connection and Replaced when it changes (the record is no longer the controller's,
    // or no longer the file's).
    void setOffline(bool offline);
    // True when the record may be edited: it is a connected controller's or an offline file's.
    bool editable() const { return m_connected || m_offline; }
    const LinkTiming& timing() const { return m_link.timing(); }
    CLink& link() { return m_link; }
    CSerialPort& port() { return m_link.port(); }
    AppConfig& config() { return m_config; }
    IUserPrompt& prompt() { return m_prompt; }
    // The observer must outlive the device or be reset to null first.
    void setFrameObserver(IFrameObserver* observer) { m_link.setFrameObserver(observer); }
    // The listener must outlive the device or be reset to null first (see IDeviceListener).
    void setListener(IDeviceListener* listener) { m_listener = listener; }
    // Where connect() and reconnect() look for ports after the last one; listSerialPorts() unless a
    // test or a face narrows it.
    void setPortLister(std::function<std::vector<std::string>()> lister) { m_portLister = std::move(lister); }
    // The work mode that demo mode reports (2 petrol, 3 gas); the switch commands set it.
    std::uint8_t demoWorkMode() const { return m_demoWorkMode; }
    IDeviceListener* listener() const { return m_listener; }

    // Gathers the changes of the operations run while it lives into one announcement, made when the
    // outermost batch ends (a settings file load writes eight blocks and the map, and says so once).
    class ChangeBatch {
    public:
        explicit ChangeBatch(CLPGDevice& device);
        ~ChangeBatch();
        ChangeBatch(const ChangeBatch&) = delete;
        ChangeBatch& operator=(const ChangeBatch&) = delete;

    private:
        CLPGDevice& m_device;
    };
    // Announces a change (at once, or at the end of the batch running now). For the procedures that
    // change the record themselves (an edit of the map grid, a settings page's value).
    void noteChange(const DeviceChange& change);

    // ---- live samples ----
    CDiagData& diagData() { return m_diagData; }
    const CDiagData& diagData() const { return m_diagData; }
    // The polling-on flag: the polling thread runs while it is set.
    bool pollingOn() const { return m_pollingOn; }
    // Starts the polling thread when diagnostics are allowed, recording to `recordingPath` when it is
    // given and can be opened (an empty path records nothing). False when polling was not started.
    bool startDiagnostics(const std::string& recordingPath = {});
    // Clears the polling-on flag and waits for the polling thread to end (it closes its recording).
    void stopDiagnostics();

    // ---- exchanges ----
    // One exchange as CLink::exchange gives it, completing a reply that comes in two pieces.
    bool sendReceive(ExchangeBuffer& buffer, std::uint8_t& length, std::uint8_t& code, const char* operation = "")
    {
        return m_link.exchange(buffer, length, code, operation);
    }

    // ---- connection ----
    // Link check: up to 5 attempts of control request 0xCC. A controller that answers without "!"
    // fails the check and shows "Brak połączenia" once per run. Success sets PC byte order and the
    // diagnostics-allowed flag.
    bool checkLink();
    // Closes the current port, opens and configures `path`, runs initialRead; on success remembers the
    // port in the config file. Port errors are caught here: the result is simply false.
    bool openPort(const std::string& path);
    // The connection sequence on a freshly opened port: link check, identity (an error box when it
    // fails), connected. True when the link check passed.
    virtual bool initialRead();
    // While set, the connection sequence lets the face handle its events between two reads: for a
    // reconnection behind a modal window (the firmware update's), where nothing else takes input.
    void setPumpWhileConnecting(bool on) { m_pumpWhileConnecting = on; }
    // Searches for a controller: the last port, then every listed port; with none, asks whether to
    // run in demo mode. True when connected (to a controller or in demo mode).
    bool connect();
    // Closes the serial port under the exchange lock (at the end of a session, after stopping polling).
    void closePort();
    // After a loss: the last port, then the first seven listed ports. True when a controller answered.
    bool reconnect();
    static constexpr std::size_t kReconnectPorts = 7;
    // The blocks the last connection could not read ("base", "map", ...); empty when all were read.
    const std::vector<std::string>& unreadBlocks() const { return m_unreadBlocks; }
    // Only for tests: forget that "Brak połączenia" was shown in this run.
    static void resetNoLinkMessageForTesting();

    // ---- the settings record, block by block, through the record's encodings ----
    // Reads a block and decodes it into m_settings (only that block's fields; nothing on failure).
    // In demo mode succeeds and leaves the record as it is.
    bool readSettings(SettingsBlock block);
    // Encodes a block from m_settings and writes it (the base block carries this PC's stamp).
    bool writeSettings(SettingsBlock block);
    // The fuel map: m_injMapTable and m_corrMap.m_flags through the map block.
    bool readMap();
    bool writeMap();

    // ---- commands ----
    bool readIdentity();                                   // into m_settings.m_devInfo
    bool readStatistics();                                 // into m_settings.m_devInfo.m_statistic
    // Reads a settings block into `out` (PC byte order). In demo mode succeeds and leaves `out` alone.
    bool readSettingsBlock(SettingsBlock block, std::span<std::uint8_t> out);
    // Writes a settings block (PC byte order; `payload` is the block, at most its size).
    bool writeSettingsBlock(SettingsBlock block, std::span<const std::uint8_t> payload);
    bool readErrorFlags(std::array<std::uint8_t, 4>& flags);

    bool readMemory(std::uint16_t address, std::span<std::uint8_t, kMemoryPieceSize> data);
    bool writeMemory(std::uint16_t address, std::span<const std::uint8_t, kMemoryPieceSize> data);
    // A range of whole pieces; stops at the first piece that fails (output only written on success).
    bool readMemoryRange(std::uint16_t address, std::span<std::uint8_t> data);
    bool writeMemoryRange(std::uint16_t address, std::span<const std::uint8_t> data);
    // The fuel map block: the read fails when its check value does not match; the write seals the
    // block with its check value, sends it and succeeds only when the last piece reads back with it.
    bool readMapBlock(MapBlock& block);
    bool writeMapBlock(MapBlock& block);
    bool storeMap();
    bool clearMap();
    bool editMapRange(std::uint8_t firstRow, std::uint8_t firstColumn, std::uint8_t rows, std::uint8_t columns,
                      MapEdit operation, std::uint8_t value);
    // Sets one cell to `percent` (sent as percent + 100).
    bool setMapCell(std::uint8_t row, std::uint8_t column, int percent);

    bool readPetrolMap(CPointMap& map);
    bool readGasMap(CPointMap& map);
    bool erasePetrolMap();
    bool eraseGasMap();

    bool switchToGas();
    bool switchToPetrol();
    // Runs the petrol switch first (its result ignored), then asks for automatic mode.
    bool switchToAuto();
    // Switches to petrol and waits, polling the live sample, until the controller reports petrol mode.
    bool switchToPetrolAndWait();
    // Clears the stored errors and resets the controller; runs switchToPetrolAndWait first.
    bool clearErrors();
    // The same request alone, for a caller that has already run the petrol step (a settings change
    // that needs the controller to start over).
    bool resetDevice();
    // The automatic mode as a fitter asks for it (the window's "Automat" button and the command
    // line's `switch auto`): switch to petrol and wait until the controller reports petrol, then the
    // automatic-mode request, which sends a fresh petrol switch itself. False when either step failed.
    bool goToAutomatic();
    // Bit i set: injector i + 1 runs on gas.
    bool setActiveInjectors(std::uint8_t mask);
    // The mask of eight injector switches (onGas[i]: injector i + 1 runs on gas).
    static std::uint8_t injectorMask(const std::array<bool, 8>& onGas);
    // Controllers before firmware version 517 take a new injector mask only while they run on gas
    // (work mode of the newest sample); later ones always.
    static constexpr std::int32_t kInjectorMaskAnyModeVersion = 517;
    bool acceptsInjectorMask(std::uint8_t workMode) const;

    // One live poll into `sample`.
    PollStatus pollDiagnostics(DiagPayload& sample);

    // Bus queries through the controller: one attempt, no demo answer. `reply` receives the reply
    // payload as long as the reply says.
    bool busRequest(std::span<const std::uint8_t, 20> request, std::vector<std::uint8_t>& reply);
    bool busRequests(std::uint32_t requestId, std::uint32_t filterId, std::uint32_t filterMask,
                     std::span<const BusRequestItem> requests, std::vector<std::uint8_t>& reply);

    // Firmware programming.
    bool enterProgramming();
    bool writeFirmwareBlock(std::uint16_t wordAddress, std::span<const std::uint8_t, kFirmwareBlockSize> data);
    // Writes `blockCount` 128-byte blocks of `image` at their word addresses (only 128..255 and from 4096
    // up are sent); stops at the first block that fails. Bytes past the image's end go as 0.
    // `progress`, when given, hears (blocks taken so far, blocks to send) after every block taken.
    using FirmwareProgress = std::function<void(std::size_t sent, std::size_t total)>;
    bool writeFirmware(std::span<const std::uint8_t> image, std::size_t blockCount,
                       const FirmwareProgress& progress = {});
    bool firmwareRequest96();
    bool firmwareRequest10();

protected:
    // The attempt loop every command shares: rebuilds the request each attempt, optionally pauses
    // before it, and stops at the first reply that `accept` takes. On success `reply`, `replyLength`
    // and `replyCode` hold the accepted reply.
    using AcceptFn = std::function<bool(std::uint8_t length, std::uint8_t code, const ExchangeBuffer& reply)>;
    bool runAttempts(const char* operation, int attempts, std::uint32_t pauseMs, std::uint8_t code,
                     std::span<const std::uint8_t> payload, const AcceptFn& accept, ExchangeBuffer& reply,
                     std::uint8_t& replyLength);
    bool controlAck(const char* operation, std::uint8_t subCode, std::uint16_t argument = 0,
                    std::uint32_t pauseMs = 0);
    bool controlRead(const char* operation, std::uint8_t subCode, std::uint8_t replyCode, std::span<std::uint8_t> out,
                     std::uint16_t argument = 0);
    bool blockWrite(const char* operation, std::uint8_t code, std::span<const std::uint8_t> payload, int attempts);
    bool firmwareRequest(const char* operation, std::uint8_t subCode);
    bool readPointMap(bool gas, CPointMap& map);
    // The simulated sample of demo mode.
    PollStatus demoPoll(DiagPayload& sample);

private:
    IUserPrompt& m_prompt;
    CLink m_link;
    AppConfig m_config;
    IDeviceListener* m_listener = nullptr;
    std::function<std::vector<std::string>()> m_portLister;

    std::atomic<bool> m_pollingOn{false};
    std::atomic<bool> m_demo{false};
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_offline{false};
    bool m_pumpWhileConnecting = false;
    std::atomic<bool> m_diagAllowed{true};
    std::atomic<std::uint8_t> m_demoWorkMode{ModePetrol};
    std::atomic<bool> m_identityKnown{false};
    std::vector<std::string> m_unreadBlocks;

    std::mutex m_changeLock;      // guards the two below; never held while the listener runs
    int m_batchDepth = 0;
    DeviceChange m_pendingChange;

    CDiagData m_diagData;
};

} // namespace tarvola
