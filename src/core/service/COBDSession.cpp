#include "service/COBDSession.h"

#include <cmath>

#include "lang/CommonTexts.h"
#include "lang/translate.h"
#include "device/CLPGDevice.h"
#include "obd/COBDCodes.h"

namespace tarvola {

namespace {
constexpr const char* kReadCodesFailedText = "Nie można wczytać błędów OBD!";
constexpr const char* kEraseQuestionText = "Czy chcesz skasować błędy OBD?";
constexpr const char* kEraseFailedText = "Nie powiodło się skasowanie błędów OBD!";
constexpr const char* kReadSettingsFailedText = "Nie powiodło się wczytanie ustawień urządzenia!";
constexpr const char* kDemoStandardText = "OBD II (EUROPA)";
constexpr const char* kNoAnswerText = "Samochód nie odpowiada przez OBD. Sprawdź podłączenie sterownika do złącza diagnostycznego i włączony zapłon.";

constexpr std::uint8_t kStandardPid = 0x1C;
constexpr std::uint32_t kDemoResponder = 0x7E8;
constexpr std::uint16_t kDemoCodes[] = {0x0171, 0x0300, 0x0301, 0x0302, 0x0303, 0x0304};
} // namespace

COBDSession::COBDSession(CLPGDevice& device, ClockFn clock) : m_device(device), m_clock(std::move(clock)) {}

bool COBDSession::open()
{
    m_open = false;
    m_standard.clear();
    if (m_device.isDemo()) {
        openDemo();
        return true;
    }
    ObdConnectionRecord connection{};
    ObdCorrectionRecord correction{};
    if (!m_device.readSettingsBlock(SettingsBlock::ObdConnection, connection) ||
        !m_device.readSettingsBlock(SettingsBlock::ObdCorrection, correction)) {
        m_device.prompt().error(translate(kReadSettingsFailedText));
        return false;
    }
    m_connection = connection;
    m_correction = correction;
    m_readingCorrections = m_correction[obdcorr::Flags] != 0;
    m_open = true;

    if (!writeConnection(preparedForWrite(m_connection)))
        showSettingFailure();

    ObdBusReply reply;
    std::optional<std::uint32_t> mask;
    if (ask(requestId(), 2, 1, 0, reply))
        mask = supportedMaskOf(reply.frames);
    m_live.applySupportedMask(mask);

    if (mask && pidSupported(*mask, kStandardPid) && ask(requestId(), 2, 1, kStandardPid, reply)) {
        for (const auto& f : reply.frames) {
            if (f.data[1] == kPositiveService1 && f.data[2] == kStandardPid) {
                m_standard = obdStandardName(f.data[3]);
                break;
            }
        }
    }
    return true;
}

void COBDSession::openDemo()
{
    m_connection = {};
    putU32(m_connection, obdconn::BaseId, 0x7E0);
    m_connection[obdconn::Connected] = 1;
    m_connection[obdconn::Speed] = obdconn::kSpeed500;
    m_connection[obdconn::Reserved10] = obdconn::kMinReserved10;
    m_correction = {};
    m_correction[obdcorr::Flags] = obdcorr::kFollowBank1;
    m_correction[obdcorr::UpdatePeriod] = 2 * 10;
    m_correction[obdcorr::MaxCorrection] = 10;
    m_readingCorrections = true;
    m_standard = kDemoStandardText;
    // A single-bank car with a manifold sensor and two oxygen sensors.
    std::uint32_t mask = 0;
    for (std::uint8_t pid : {0x06, 0x07, 0x0B, 0x14, 0x15})
        mask |= 1u << (32 - pid);
    m_live.applySupportedMask(mask);
    m_open = true;
}

bool COBDSession::ask(std::uint32_t request, std::uint8_t length, std::uint8_t service, std::uint8_t pid,
                      ObdBusReply& reply)
{
    const auto bytes = encodeBusRequest(request, filterId(), filterId(), length, service, pid);
    std::vector<std::uint8_t> payload;
    if (!m_device.busRequest(bytes, payload))
        return false;
    reply = parseBusReply(payload);
    return true;
}

COBDSession::LiveResult COBDSession::liveRound()
{
    if (m_device.isDemo()) {
        demoRound();
        return LiveResult::Read;
    }
    const auto batch = m_live.nextBatch();
    if (batch.empty())
        return LiveResult::NothingDue;
    std::vector<std::uint8_t> payload;
    const auto started = m_clock();
    const bool ok = m_device.busRequests(requestId(), filterId(), filterId(), batch, payload);
    const auto took = m_clock() - started;
    if (!ok) {
        m_live.setBatchSize(1);
        return LiveResult::Failed;
    }
    const auto reply = parseBusReply(payload);
    m_live.decode(reply.frames);
    if (took > kSlowExchange)
        m_live.setBatchSize(1);
    // The gateway answers for a car that stayed silent with an empty list of frames.
    return reply.frames.empty() ? LiveResult::NoAnswer : LiveResult::Read;
}

void COBDSession::demoRound()
{
    // Slow made-up movements around a warm idle, so the page has something to show.
    const double t = 0.3 * m_demoStep++;
    const auto byteOf = [](double v) { return static_cast<std::uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, v)))); };
    const std::uint8_t pressure = byteOf(33.0 + 3.0 * std::sin(t));
    const std::uint8_t shortTrim = byteOf(128.0 + 6.0 * std::sin(2.1 * t));
    const std::uint8_t longTrim = byteOf(131.0 + std::sin(0.1 * t));
    const std::uint8_t upstream = byteOf((m_demoStep % 4 < 2 ? 0.15 : 0.75) / 0.005);
    const std::uint8_t downstream = byteOf((0.65 + 0.03 * std::sin(t)) / 0.005);
    const std::uint8_t values[ObdLiveTable::kEntries] = {pressure, shortTrim, longTrim, 128, 128,
                                                         upstream, downstream, 0, 0};
    // Answered as the car would, so the values and the banks they reveal take the live path.
    std::vector<ObdBusFrame> frames;
    for (std::size_t i = 0; i < ObdLiveTable::kEntries; ++i) {
        const auto& e = m_live.entries()[i];
        if (e.enabled)
            frames.push_back({kDemoResponder, {0x03, kPositiveService1, e.request.pid, values[i], 0x55, 0x55, 0x55, 0x55}});
    }
    m_live.decode(frames);
}

bool COBDSession::readTroubleCodes()
{
    m_codes.clear();
    if (m_device.isDemo()) {
        for (std::uint16_t code : kDemoCodes)
            m_codes.push_back(troubleCodeText(code));
        return true;
    }
    ObdBusReply status;
    if (!ask(requestId(), 2, 1, 1, status)) {
        m_device.prompt().error(translate(kReadCodesFailedText));
        return false;
    }
    if (status.frames.empty()) {
        // Without an answer there is no count of codes: an empty list would read as a clean car.
        m_device.prompt().error(translate(kNoAnswerText));
        return false;
    }
    for (const auto& unit : status.frames) {
        const auto count = storedCodeCountOf(unit);
        if (!count || *count == 0)
            continue;
        ObdBusReply codes;
        if (!ask(unitRequestIdFor(baseIdOf(m_connection), unit.sender), 1, 3, 0, codes)) {
            m_device.prompt().error(translate(kReadCodesFailedText));
            return false;
        }
        for (std::uint16_t code : troubleCodesOf(codes.frames, *count))
            m_codes.push_back(troubleCodeText(code));
    }
    return true;
}

COBDSession::EraseResult COBDSession::eraseTroubleCodes()
{
    if (!m_device.prompt().yesNo(translate(kEraseQuestionText)))
        return EraseResult::Declined;
    if (m_device.isDemo()) {
        m_codes.clear();
        return EraseResult::Erased;
    }
    ObdBusReply reply;
    if (!ask(requestId(), 1, 4, 0, reply)) {
        m_device.prompt().error(translate(kEraseFailedText));
        return EraseResult::Failed;
    }
    if (reply.frames.empty()) {
        m_device.prompt().error(translate(kNoAnswerText));
        return EraseResult::NoAnswer;
    }
    if (reply.frames.front().data[1] != kPositiveService4)
        return EraseResult::NotConfirmed;
    m_codes.clear();
    return EraseResult::Erased;
}

int COBDSession::cylinderBank(int cylinder) const
{
    if (cylinder < 1 || cylinder > 8)
        return 1;
    return (m_correction[obdcorr::CylinderBanks] >> (cylinder - 1)) & 1u ? 2 : 1;
}

bool COBDSession::cylinderChoiceEnabled(int cylinder, int injectors)
{
    if (cylinder < 1 || cylinder > 8)
        return false;
    if (injectors < 8 && cylinder >= 5)
        return false;
    if (injectors < 6 && cylinder >= 5 && cylinder <= 6)
        return false;
    return true;
}

void COBDSession::showSettingFailure()
{
    m_device.prompt().error(translate(kDeviceSettingFailedText));
}

bool COBDSession::writeConnection(const ObdConnectionRecord& record)
{
    const auto prepared = preparedForWrite(record);
    if (!m_device.writeSettingsBlock(SettingsBlock::ObdConnection, prepared))
        return false;
    m_connection = prepared;
    return true;
}

bool COBDSession::writeCorrection(const ObdCorrectionRecord& record)
{
    if (!m_device.writeSettingsBlock(SettingsBlock::ObdCorrection, record))
        return false;
    m_correction = record;
    return true;
}

bool COBDSession::setObdConnected(bool connected)
{
    auto connection = m_connection;
    connection[obdconn::Connected] = connected ? 1 : 0;
    if (!writeConnection(connection)) {
        showSettingFailure();
        return false;
    }
    if (connected)
        return true;
    // Without the car there is nothing to correct by.
    auto correction = m_correction;
    correction[obdcorr::Flags] = 0;
    if (!writeCorrection(correction)) {
        showSettingFailure();
        return false;
    }
    m_readingCorrections = false;
    return true;
}

bool COBDSession::setReadingCorrections(bool on)
{
    auto correction = m_correction;
    std::uint8_t flags = 0;
    if (on) {
        if (m_live.bank1Present())
            flags |= obdcorr::kFollowBank1;
        if (m_live.bank2Present())
            flags |= obdcorr::kFollowBank2;
    }
    correction[obdcorr::Flags] = flags;
    if (!writeCorrection(correction)) {
        showSettingFailure();
        return false;
    }
    m_readingCorrections = on;
    return true;
}

bool COBDSession::setUpdatePeriod(int seconds)
{
    if (seconds < obdcorr::kMinUpdatePeriod || seconds > obdcorr::kMaxUpdatePeriod)
        return false;
    auto correction = m_correction;
    correction[obdcorr::UpdatePeriod] = static_cast<std::uint8_t>(2 * seconds);
    if (!writeCorrection(correction)) {
        showSettingFailure();
        return false;
    }
    return true;
}

bool COBDSession::setMaxCorrection(int percent)
{
    if (percent < obdcorr::kMinMaxCorrection || percent > obdcorr::kMaxMaxCorrection)
        return false;
    auto correction = m_correction;
    correction[obdcorr::MaxCorrection] = static_cast<std::uint8_t>(percent);
    if (!writeCorrection(correction)) {
        showSettingFailure();
        return false;
    }
    return true;
}

bool COBDSession::setCylinderBank(int cylinder, int bank)
{
    if (cylinder < 1 || cylinder > 8 || (bank != 1 && bank != 2))
        return false;
    auto correction = m_correction;
    std::uint8_t banks = 0;
    for (int c = 1; c <= 8; ++c) {
        const int b = c == cylinder ? bank : cylinderBank(c);
        if (b == 2)
            banks |= static_cast<std::uint8_t>(1u << (c - 1));
    }
    correction[obdcorr::CylinderBanks] = banks;
    if (!writeCorrection(correction)) {
        showSettingFailure();
        return false;
    }
    return true;
}

} // namespace tarvola
