#pragma once
// The OBD page's model: the controller's OBD records, the car's live parameters, its stored
// trouble codes and the OBD settings, over the controller's OBD gateway. The GUI page and the
// command line drive it; it talks to the person only through the device's IUserPrompt.
//
// Failures the person must see (reading or erasing the trouble codes, applying a setting) are
// shown through the prompt, translated, and returned as false or a result code. Port failures
// (CRSError) pass through every operation to the caller. In demo mode nothing is sent: the
// records hold demo values, live values move by themselves and a fixed list of codes is shown.
//
// Threads: call it from one thread; the device's exchange lock keeps each exchange atomic against
// the polling thread.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "obd/ObdLiveTable.h"
#include "obd/ObdRecords.h"
#include "platform/Clock.h"

namespace tarvola {

class CLPGDevice;

class COBDSession {
public:
    // An exchange slower than this drops the live batch to one request.
    static constexpr std::chrono::milliseconds kSlowExchange{700};

    // The session keeps a reference to `device`; the clock times the live exchanges (tests pass
    // their own).
    explicit COBDSession(CLPGDevice& device, ClockFn clock = [] { return SteadyClock::now(); });

    // Opening the OBD link: reads both records, writes the connection record back (byte 10 at
    // least 8), asks which parameters the car supports and enables the live entries accordingly,
    // and asks the car's OBD standard. False, with the message shown, when a record cannot be read;
    // a failed write is shown and opening goes on.
    bool open();
    bool isOpen() const { return m_open; }

    // ---- live values ----
    enum class LiveResult { Read, Failed, NoAnswer, NothingDue };
    // One exchange of the live round: the next batch as one multiple request, the answers decoded
    // into the entries. A failed exchange, or one slower than 700 ms, drops the batch to one.
    // NoAnswer: the controller answered but the car sent nothing (no link, ignition off).
    LiveResult liveRound();
    const ObdLiveTable& live() const { return m_live; }
    ObdLiveTable& live() { return m_live; }

    // ---- trouble codes ----
    // Asks every unit for its number of stored codes and each unit that has some for the codes;
    // the texts replace codes(). False, with "Nie można wczytać błędów OBD!" shown, when an
    // exchange fails (codes() then holds what was read before the failure), and with the
    // car-does-not-answer message when no unit answers the count.
    bool readTroubleCodes();
    enum class EraseResult { Erased, Declined, Failed, NoAnswer, NotConfirmed };
    // Asks first; on Yes sends service 4. Failed: the exchange failed (message shown); NoAnswer:
    // the car sent nothing (message shown); NotConfirmed: the car answered without the positive
    // reply. The list stays unless Erased.
    EraseResult eraseTroubleCodes();
    const std::vector<std::string>& codes() const { return m_codes; }

    // ---- what the page shows ----
    const ObdConnectionRecord& connection() const { return m_connection; }
    const ObdCorrectionRecord& correction() const { return m_correction; }
    bool obdConnected() const { return isConnected(m_connection); }
    // "ISO9141/KWP2000", "CAN 11-bit 500kb/s", ...
    std::string protocol() const { return protocolName(m_connection); }
    // The car's OBD standard as a source text for translate(); empty when the car did not say.
    const std::string& standard() const { return m_standard; }
    bool readingCorrections() const { return m_readingCorrections; }
    int updatePeriodSeconds() const { return m_correction[obdcorr::UpdatePeriod] / 2; }
    int maxCorrectionPercent() const { return m_correction[obdcorr::MaxCorrection]; }
    // 1 or 2 for cylinder 1..8.
    int cylinderBank(int cylinder) const;
    // Whether the page offers the bank choice of cylinder 1..8 for this many injectors (the choices
    // of cylinders 5 to 8 are off below eight injectors).
    static bool cylinderChoiceEnabled(int cylinder, int injectors);

    // ---- settings, each written at once ----
    // Every one shows "Nie powiodło się ustawienie urządzenia!" and returns false when the write
    // fails; the session's record then keeps the controller's value. Values the page does not
    // offer are refused (false, nothing written, no message).
    bool setObdConnected(bool connected);
    bool setReadingCorrections(bool on);
    bool setUpdatePeriod(int seconds);
    bool setMaxCorrection(int percent);
    bool setCylinderBank(int cylinder, int bank);

private:
    bool writeConnection(const ObdConnectionRecord& record);
    bool writeCorrection(const ObdCorrectionRecord& record);
    void showSettingFailure();
    std::uint32_t requestId() const { return requestIdFor(baseIdOf(m_connection)); }
    std::uint32_t filterId() const { return filterIdFor(baseIdOf(m_connection)); }
    bool ask(std::uint32_t requestId, std::uint8_t length, std::uint8_t service, std::uint8_t pid,
             ObdBusReply& reply);
    void openDemo();
    void demoRound();

    CLPGDevice& m_device;
    ClockFn m_clock;
    ObdConnectionRecord m_connection{};
    ObdCorrectionRecord m_correction{};
    ObdLiveTable m_live;
    std::vector<std::string> m_codes;
    std::string m_standard;
    bool m_open = false;
    bool m_readingCorrections = false;
    unsigned m_demoStep = 0;
};

} // namespace tarvola
