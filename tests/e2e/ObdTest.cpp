// The OBD page's model against the virtual controller's car: opening the link, live values that
// follow the engine, trouble codes read over the three bus kinds, the OBD settings
// written at once, and the batch falling to one request after a slow or failed exchange.

#include <set>

#include "SimFixture.h"
#include "service/COBDSession.h"

using namespace tarvola;
using namespace tarvola::test;

namespace {

constexpr std::uint8_t kBusRequestsCode = 23;
constexpr std::uint8_t kBusRequestCode = 25;

class ObdLink : public SimLink {
protected:
    std::unique_ptr<COBDSession> session;

    void startObd(sim::SimOptions options = {}, LinkTiming timing = quickTiming())
    {
        start(options, timing);
        session = std::make_unique<COBDSession>(*device);
    }

    // Request identifier (PC order, bytes 0-3 of the payload) of every bus request sent since the
    // last clear, with the service each asked (single requests only).
    std::vector<std::pair<std::uint32_t, std::uint8_t>> singleRequests() const
    {
        std::vector<std::pair<std::uint32_t, std::uint8_t>> out;
        for (const auto& f : frames()) {
            if (f.size() >= 4 + 20 && f[3] == kBusRequestCode)
                out.emplace_back(getU32(std::span(f).subspan(4, 4), 0), f[4 + 13]);
        }
        return out;
    }
};

} // namespace

TEST_F(ObdLink, OpeningEnablesWhatTheCarSupportsAndLiveValuesFollowTheEngine)
{
    startObd();
    sim->setEngineTarget(800, 35);
    ASSERT_TRUE(session->open());
    EXPECT_TRUE(session->obdConnected());
    EXPECT_GE(sim->settingsBlock(sim::Block::ObdConnection)[10], 8);

    EXPECT_FALSE(session->live().bank1Present()) << "nothing answered yet";

    sim->clearReceived();
    for (int round = 0; round < 3; ++round)
        ASSERT_EQ(session->liveRound(), COBDSession::LiveResult::Read);
    const auto sent = frames();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0][3], kBusRequestsCode);
    EXPECT_EQ(sent[0][4 + 12], 5) << "five requests in a batch";
    // The car has manifold pressure, bank 1 trims and both bank 1 oxygen sensors: those show values.
    const bool expected[] = {true, true, true, false, false, true, true, false, false};
    const auto& e = session->live().entries();
    for (std::size_t i = 0; i < ObdLiveTable::kEntries; ++i) {
        EXPECT_EQ(e[i].enabled, expected[i]) << i;
        EXPECT_EQ(e[i].text.empty(), !expected[i]) << i;
    }
    EXPECT_NEAR(std::stod(e[0].text), 35, 15) << "the engine's manifold pressure";
    EXPECT_EQ(session->live().batchSize(), 5) << "a quick car keeps the batch";
    EXPECT_TRUE(session->live().bank1Present());
    EXPECT_FALSE(session->live().bank2Present());

    // A single request for any parameter the car has: the engine speed, high byte first, in quarters.
    std::array<std::uint8_t, 20> one{};
    for (std::size_t at : {0u, 4u, 8u})
        putU32(one, at, 0x7E0);
    one[12] = 2;
    one[13] = 1;
    one[14] = 0x0C;
    std::vector<std::uint8_t> reply;
    ASSERT_TRUE(device->busRequest(one, reply));
    ASSERT_GE(reply.size(), 2u + 4u + 5u);
    EXPECT_EQ(std::vector<std::uint8_t>(reply.begin() + 7, reply.begin() + 9), (std::vector<std::uint8_t>{0x41, 0x0C}));
    EXPECT_NEAR(((reply[9] << 8) | reply[10]) / 4.0, 800, 100);
}

TEST_F(ObdLink, SlowOrFailedExchangesDropTheBatchToOne)
{
    start();
    // Every look at the clock moves it on by 400 ms, so an exchange seems to take 400 ms...
    auto now = SteadyClock::now();
    int step = 400;
    session = std::make_unique<COBDSession>(*device, [&] { return now += std::chrono::milliseconds(step); });
    ASSERT_TRUE(session->open());
    ASSERT_EQ(session->liveRound(), COBDSession::LiveResult::Read);
    EXPECT_EQ(session->live().batchSize(), 5);
    // ... and then 800 ms.
    step = 800;
    ASSERT_EQ(session->liveRound(), COBDSession::LiveResult::Read);
    EXPECT_EQ(session->live().batchSize(), 1);

    session = std::make_unique<COBDSession>(*device);
    ASSERT_TRUE(session->open());
    sim->dropNext(1);
    EXPECT_EQ(session->liveRound(), COBDSession::LiveResult::Failed);
    EXPECT_EQ(session->live().batchSize(), 1);
    sim->clearReceived();
    ASSERT_EQ(session->liveRound(), COBDSession::LiveResult::Read);
    EXPECT_EQ(frames().back()[4 + 12], 1);
}

// Each bus kind is reached at its own addresses: the stored codes (service 3) at the unit's own.
TEST_F(ObdLink, EveryBusKindIsReachedAtItsOwnAddresses)
{
    struct Case {
        sim::ObdBus bus;
        const char* protocol;
        std::uint32_t request, unitRequest;
    };
    const Case cases[] = {{sim::ObdBus::Can11, "CAN 11-bit 500kb/s", 0x7E0, 0x7E0}, // 0x7E8 - 8
                          {sim::ObdBus::KLine, "ISO9141/KWP2000", 0x7A0, 0x7A0},
                          {sim::ObdBus::Can29, "CAN 29-bit 500kb/s", 0x18DA00F1, 0x18DA10F1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.protocol);
        sim::SimOptions options;
        options.obdBus = c.bus;
        options.troubleCodes = std::vector<std::uint16_t>{0x0171, 0x0301};
        startObd(options);
        ASSERT_TRUE(session->open());
        EXPECT_EQ(session->protocol(), c.protocol);
        EXPECT_EQ(session->standard(), "OBD Europe (EOBD)");
        ASSERT_EQ(session->liveRound(), COBDSession::LiveResult::Read);
        EXPECT_FALSE(session->live().entries()[1].text.empty());
        sim->clearReceived();
        ASSERT_TRUE(session->readTroubleCodes());
        EXPECT_EQ(session->codes(), (std::vector<std::string>{"P0171   System too Lean (Bank 1)",
                                                              "P0301   Cylinder 1 Misfire Detected"}));
        const std::vector<std::pair<std::uint32_t, std::uint8_t>> asked{{c.request, 1}, {c.unitRequest, 3}};
        EXPECT_EQ(singleRequests(), asked);
        ObdLink::TearDown();
    }
}

TEST_F(ObdLink, SegmentedAnswersReadWholeAndNoCodesAskOnlyTheStatus)
{
    startObd();
    ASSERT_TRUE(session->open());
    // Five codes need a first and a consecutive frame; an unknown one gets the default text.
    sim->setTroubleCodes({0x0420, 0x0302, 0x0133, 0x0999, 0x0300});
    ASSERT_TRUE(session->readTroubleCodes());
    ASSERT_EQ(session->codes().size(), 5u);
    EXPECT_EQ(session->codes()[0], "P0420   Catalyst System Efficiency Below Threshold (Bank 1)");
    EXPECT_EQ(session->codes()[3], "P0999  UNKNOWN ");
    EXPECT_EQ(session->codes()[4], "P0300   Random/Multiple Cylinder Misfire Detected");
    // Seven codes span three frames; the sixth straddles two of them and still reads whole.
    sim->setTroubleCodes({0x0171, 0x0301, 0x0302, 0x0303, 0x0304, 0x0420, 0x0135});
    ASSERT_TRUE(session->readTroubleCodes());
    ASSERT_EQ(session->codes().size(), 7u);
    EXPECT_EQ(session->codes()[5], "P0420   Catalyst System Efficiency Below Threshold (Bank 1)");
    EXPECT_EQ(session->codes()[6].substr(0, 8), "P0135   ");

    // With nothing stored the status answer is all that is asked.
    sim->setTroubleCodes({});
    sim->clearReceived();
    ASSERT_TRUE(session->readTroubleCodes());
    EXPECT_TRUE(session->codes().empty());
    EXPECT_EQ(singleRequests().size(), 1u);
}

TEST_F(ObdLink, SettingsAreWrittenAtOnceAndAFailedWriteIsShownAndForgotten)
{
    startObd({}, failFast(1, 250));
    ASSERT_TRUE(session->open());
    const auto correction = [&] { return sim->settingsBlock(sim::Block::ObdCorrection); };

    ASSERT_TRUE(session->setMaxCorrection(25));
    ASSERT_TRUE(session->setUpdatePeriod(15));
    ASSERT_TRUE(session->setCylinderBank(3, 2));
    ASSERT_TRUE(session->setCylinderBank(8, 2));
    ASSERT_TRUE(session->setCylinderBank(3, 1));
    ASSERT_TRUE(session->setReadingCorrections(true));
    EXPECT_EQ(correction()[0], 0) << "no bank follows before the car answered for it";
    ASSERT_EQ(session->liveRound(), COBDSession::LiveResult::Read);
    ASSERT_TRUE(session->setReadingCorrections(true));
    // Reading on for bank 1 only (the car has no bank 2), 15 s in half seconds, 25 %, cylinder 8 on bank 2.
    const auto c = correction();
    EXPECT_EQ(std::vector<std::uint8_t>(c.begin(), c.begin() + 4), (std::vector<std::uint8_t>{0x01, 30, 25, 0x80}));
    EXPECT_EQ(session->cylinderBank(8), 2);
    EXPECT_FALSE(session->setMaxCorrection(51));
    EXPECT_FALSE(session->setUpdatePeriod(1));
    EXPECT_FALSE(session->setCylinderBank(9, 1));

    // Disconnecting also stops the correction.
    ASSERT_TRUE(session->setObdConnected(false));
    EXPECT_EQ(sim->settingsBlock(sim::Block::ObdConnection)[8], 0);
    EXPECT_EQ(correction()[0], 0);
    EXPECT_FALSE(session->readingCorrections());
    // The gateway now passes nothing on: the car is silent, which is not the same as a clean car.
    EXPECT_EQ(session->liveRound(), COBDSession::LiveResult::NoAnswer);
    prompt.messages.clear();
    EXPECT_FALSE(session->readTroubleCodes());
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].rfind("Samochód nie odpowiada przez OBD.", 0), 0u) << prompt.messages[0];
    ASSERT_TRUE(session->setObdConnected(true));

    prompt.messages.clear();
    sim->dropNext(1);
    EXPECT_FALSE(session->setMaxCorrection(40));
    EXPECT_EQ(prompt.messages, std::vector<std::string>{"Nie powiodło się ustawienie urządzenia!"});
    EXPECT_EQ(session->maxCorrectionPercent(), 25) << "the session keeps what the controller has";
    EXPECT_EQ(correction()[2], 25);
    sim->dropNext(1);
    EXPECT_FALSE(session->readTroubleCodes());
    EXPECT_EQ(prompt.messages.back(), "Nie można wczytać błędów OBD!");
    prompt.answer = true;
    sim->dropNext(1);
    EXPECT_EQ(session->eraseTroubleCodes(), COBDSession::EraseResult::Failed);
    EXPECT_EQ(prompt.messages.back(), "Nie powiodło się skasowanie błędów OBD!");
}

TEST_F(ObdLink, DemoModeMovesByItselfAndErasesTheFixedCodes)
{
    start({}, quickTiming(), false);
    device->setDemo(true);
    session = std::make_unique<COBDSession>(*device);
    ASSERT_TRUE(session->open());
    EXPECT_EQ(session->standard(), "OBD II (EUROPA)");
    EXPECT_EQ(session->protocol(), "CAN 11-bit 500kb/s");
    std::set<std::string> shown;
    for (int i = 0; i < 8; ++i) {
        ASSERT_EQ(session->liveRound(), COBDSession::LiveResult::Read);
        shown.insert(session->live().entries()[1].text);
    }
    EXPECT_GT(shown.size(), 2u);
    ASSERT_TRUE(session->readTroubleCodes());
    ASSERT_EQ(session->codes().size(), 6u);
    EXPECT_EQ(session->codes()[0], "P0171   System too Lean (Bank 1)");
    EXPECT_EQ(session->codes()[5], "P0304   Cylinder 4 Misfire Detected");
    prompt.answer = true;
    EXPECT_EQ(session->eraseTroubleCodes(), COBDSession::EraseResult::Erased);
    EXPECT_TRUE(session->codes().empty());
    EXPECT_TRUE(sim->received().empty());
}
