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
#include <span>
#include <string>
#include <vector>

#include "link/CSerialPort.h"
#include "link/Frame.h"
#include "link/LinkTiming.h"
#include "maps/MapBlock.h"
#include "maps/PointMap.h"
#include "monitor/CDiagData.h"
#include "monitor/CLPGDeviceErr.h"
#include "msglib/CMutex.h"
#include "platform/AppConfig.h"
#include "platform/IUserPrompt.h"
#include "settings/CDeviceSettings.h"

namespace tarvola {

// Sees every frame that goes over the wire, for traces. Called with the exchange lock held, from
// whichever thread runs the exchange.
class IFrameObserver {
public:
    enum class Direction { Sent, Received };
    virtual ~IFrameObserver() = default;
    // `bytes` is the whole frame as it travelled (a received frame may be incomplete when the
    // exchange failed); `operation` names the command.
    virtual void onFrame(Direction direction, std::span<const std::uint8_t> bytes, const char* operation) = 0;
};

// Told when the connection state changes, so a face can update its display.
class IDeviceListener {
public:
    virtual ~IDeviceListener() = default;
    // The device connected, disconnected or entered demo mode (on the thread that did it).
    virtual void connectionChanged() {}
    // The polling thread gave up on the controller: the face starts its reconnect timer (1000 ms).
    // Called from the polling thread; the face must hand it over to its own thread.
    virtual void controllerLost() {}
};

// The settings blocks with their own read request and write command.
enum class SettingsBlock { Base, Adv, AdvancedSetup, MainCorr, SetupTimes, SensorsSetup, ObdConnection, ObdCorrection };

struct SettingsBlockLayout {
    std::uint8_t readSubCode;
    std::uint8_t replyCode;
    std::uint8_t writeCode;
    std::uint8_t size;
    const char* name;
};
const SettingsBlockLayout& layoutOf(SettingsBlock block);

// The live sample as the controller sends it (16-bit fields in PC order once received).
constexpr std::size_t kDiagPayloadSize = 82;
using DiagPayload = std::array<std::uint8_t, kDiagPayloadSize>;

// Status of one live poll.
enum PollStatus : int { PollRead = 0, PollUnexpectedReply = 1, PollFailed = 2 };

// Map edit operations of editMapRange.
enum class MapEdit : std::uint8_t { Set = 1, Add = 2, Subtract = 3, Zero = 4 };

// Work modes the controller reports.
enum WorkMode : std::uint8_t { ModePetrol = 2, ModeGas = 3 };

// One request of a multiple bus query: message length (1 or 2), service, parameter identifier.
struct BusRequestItem {
    std::uint8_t length = 2;
    std::uint8_t service = 1;
    std::uint8_t pid = 0;
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
    bool nativeByteOrder() const { return m_nativeByteOrder; }
    // True once the identity has been read (or filled with the demo identity) on this connection.
    bool identityKnown() const { return m_identityKnown; }
    void setDemo(bool demo);
    void setConnected(bool connected) { m_connected = connected; }
    const LinkTiming& timing() const { return m_timing; }
    CSerialPort& port() { return *m_port; }
    AppConfig& config() { return m_config; }
    IUserPrompt& prompt() { return m_prompt; }
    void setFrameObserver(IFrameObserver* observer) { m_observer = observer; }
    void setListener(IDeviceListener* listener) { m_listener = listener; }
    // Where connect() and reconnect() look for ports after the last one; listSerialPorts() unless a
    // test or a face narrows it.
    void setPortLister(std::function<std::vector<std::string>()> lister) { m_portLister = std::move(lister); }
    // The work mode that demo mode reports (2 petrol, 3 gas); the switch commands set it.
    std::uint8_t demoWorkMode() const { return m_demoWorkMode; }
    IDeviceListener* listener() const { return m_listener; }

    // ---- live samples ----
    CDiagData& diagData() { return m_diagData; }
    const CDiagData& diagData() const { return m_diagData; }
    // The polling-on flag: the polling thread runs while it is set.
    bool pollingOn() const { return m_pollingOn; }
    // Starts the polling thread when diagnostics are allowed (recording to `recordingPath` when it can
    // be opened; the single backslash means no recording). False when polling was not started.
    bool startDiagnostics(const std::string& recordingPath = "\\");
    // Clears the polling-on flag and waits for the polling thread to end (it closes its recording).
    void stopDiagnostics();

    // ---- exchanges ----
    // Sends LEN = length, CODE = code and the first `length` bytes of buffer; on success returns true
    // with length, code and buffer holding the reply (payload in PC order, the rest of the buffer 0).
    // A reply that comes in two pieces is completed by one more read after a short pause.
    bool sendReceive(ExchangeBuffer& buffer, std::uint8_t& length, std::uint8_t& code, const char* operation = "");
    // The same without the second read: 0 on success, 2 on any failure. For the live poll.
    int sendReceiveStatus(ExchangeBuffer& buffer, std::uint8_t& length, std::uint8_t& code,
                          const char* operation = "");

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
    // Bit i set: injector i + 1 runs on gas.
    bool setActiveInjectors(std::uint8_t mask);

    // One live poll into `sample`: PollRead, PollUnexpectedReply or PollFailed.
    int pollDiagnostics(DiagPayload& sample);

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
    int demoPoll(DiagPayload& sample);
    void notifyConnectionChanged();

private:
    enum class ReadMode { CompleteLateBytes, FailShortRead };
    bool exchange(ExchangeBuffer& buffer, std::uint8_t& length, std::uint8_t& code, const char* operation,
                  ReadMode mode);
    void trace(IFrameObserver::Direction direction, std::span<const std::uint8_t> bytes, const char* operation);

    IUserPrompt& m_prompt;
    LinkTiming m_timing;
    AppConfig m_config;
    std::unique_ptr<CSerialPort> m_port;
    IFrameObserver* m_observer = nullptr;
    IDeviceListener* m_listener = nullptr;
    std::function<std::vector<std::string>()> m_portLister;

    std::atomic<bool> m_pollingOn{false};
    std::atomic<bool> m_demo{false};
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_nativeByteOrder{true};
    std::atomic<bool> m_diagAllowed{true};
    std::atomic<std::uint8_t> m_demoWorkMode{ModePetrol};
    std::atomic<bool> m_identityKnown{false};
    std::vector<std::string> m_unreadBlocks;

    CMutex m_exchangeLock;
    CDiagData m_diagData;
};

} // namespace tarvola
