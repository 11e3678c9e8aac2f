// The command set against the virtual controller over a real pseudo-terminal: the request bytes on
// the wire, acceptance, attempt counts, pauses, map transfers, firmware addressing and the variant.

#include <numeric>

#include "SimFixture.h"
#include "platform/Clock.h"

using namespace tarvola;
using namespace tarvola::test;

// The requests no other test looks at byte for byte (the connection's reads, the maps, the switches,
// the stored faults and the poll are checked where they are used).
TEST_F(SimLink, ControlRequestsCarryTheirSubCodes)
{
    start();
    struct Case {
        const char* name;
        std::function<bool()> run;
        std::uint8_t sub;
        std::uint16_t arg;
    };
    std::array<std::uint8_t, 42> block{};
    const std::vector<Case> cases = {
        {"statistics", [&] { return device->readStatistics(); }, 17, 0},
        {"obdConnection", [&] { return device->readSettingsBlock(SettingsBlock::ObdConnection, block); }, 27, 0},
        {"obdCorrection", [&] { return device->readSettingsBlock(SettingsBlock::ObdCorrection, block); }, 35, 0},
        {"clearMap", [&] { return device->clearMap(); }, 20, 0},
        {"injectors", [&] { return device->setActiveInjectors(0x0B); }, 23, 0x000B},
        {"gas", [&] { return device->switchToGas(); }, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim->clearReceived();
        EXPECT_TRUE(c.run());
        const auto f = frames();
        ASSERT_EQ(f.size(), 1u);
        EXPECT_EQ(f[0], controlFrame(c.sub, c.arg));
    }
}

TEST_F(SimLink, CommandsAcceptOnlyTheKthAttemptAndGiveUpAfterTheirCount)
{
    start({}, failFast(14, 60));
    sim->dropNext(4);
    sim->clearReceived();
    EXPECT_TRUE(device->readStatistics());
    EXPECT_EQ(frames().size(), 5u);

    // Fourteen silent attempts: failure, output untouched.
    device->m_settings.m_devInfo.m_statistic = {7, 8, 9};
    sim->dropNext(14);
    sim->clearReceived();
    EXPECT_FALSE(device->readStatistics());
    EXPECT_EQ(frames().size(), 14u);
    EXPECT_EQ(device->m_settings.m_devInfo.m_statistic.gas, 7u);

    // The link check tries five times.
    sim->dropNext(5);
    sim->clearReceived();
    EXPECT_FALSE(device->checkLink());
    EXPECT_EQ(frames().size(), 5u);
}

TEST_F(SimLink, SwitchesPauseBeforeEveryAttempt)
{
    LinkTiming t = quickTiming();
    t.switchPauseMs = 150;
    t.readTimeoutConstantMs = 300; // room for a loaded machine: the answered attempt must not time out
    start({}, t);
    sim->dropNext(1);
    const auto began = SteadyClock::now();
    ASSERT_TRUE(device->switchToGas());
    const auto r = sim->received();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_GE(r[0].at - began, std::chrono::milliseconds(150));
    // The second attempt waits out the first one's time-out and then the pause again.
    EXPECT_GE(r[1].at - r[0].at, std::chrono::milliseconds(450));
}

TEST_F(SimLink, AutoModeRunsThePetrolSwitchFirstEvenWhenItFails)
{
    start({}, failFast(2, 80));
    sim->dropNext(2);
    EXPECT_TRUE(device->switchToAuto());
    EXPECT_EQ(frames(), (std::vector<std::vector<std::uint8_t>>{controlFrame(2), controlFrame(2), controlFrame(3)}));
}

TEST_F(SimLink, MapBlockTravelsInNinePiecesWithItsCheckValue)
{
    start();
    MapBlock block{};
    for (std::size_t i = 0; i < 285; ++i)
        block[i] = static_cast<std::uint8_t>(50 + (i % 101));
    block[285] = 1;
    ASSERT_TRUE(device->writeMapBlock(block));
    EXPECT_EQ(storedMapCheckValue(block), mapCheckValue(block));
    const auto f = frames();
    ASSERT_EQ(f.size(), 10u); // nine writes, one read-back
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(f[i][3], 5);
        EXPECT_EQ((f[i][4] << 8) | f[i][5], 320 + 32 * static_cast<int>(i)); // big-endian address
    }
    EXPECT_EQ(f[9], controlFrame(11, 576));
    const auto mem = sim->readMemory(kMapBlockAddress, kMapBlockSize);
    EXPECT_TRUE(std::equal(mem.begin(), mem.end(), block.begin()));

    MapBlock read{};
    ASSERT_TRUE(device->readMapBlock(read));
    EXPECT_EQ(read, block);

    // A stored check value off by one fails the read and leaves the output alone.
    auto tail = sim->readMemory(kMapBlockAddress + 286, 2);
    tail[1] = static_cast<std::uint8_t>(tail[1] + 1);
    sim->writeMemory(kMapBlockAddress + 286, tail);
    MapBlock untouched{};
    untouched[0] = 0x5A;
    EXPECT_FALSE(device->readMapBlock(untouched));
    EXPECT_EQ(untouched[0], 0x5A);

    // One cell: row, column and percent + 100 in a frame of its own.
    ASSERT_TRUE(device->setMapCell(2, 3, -7));
    EXPECT_EQ(frames().back(), (std::vector<std::uint8_t>{0xAA, 0x55, 4, 14, 2, 3, 93, 0, 0, (4 + 14 + 2 + 3 + 93 + 1)}));
    EXPECT_EQ(sim->readMemory(kMapBlockAddress + 15 * 2 + 3, 1)[0], 93);
}

// The firmware blocks of a whole image: the vector page, then from word 4096 to the top of the
// flash, each block's word address low byte first.
TEST_F(SimLink, FirmwareBlocksSkipTheBootLoaderAndStopAtTheTopOfTheFlash)
{
    start();
    ASSERT_TRUE(device->enterProgramming());
    EXPECT_EQ(frames().back(), (std::vector<std::uint8_t>{0xAA, 0x55, 8, 250, 'Q', 'M', '2', '0', '4', '8', '1', '7',
                                                          0x02, 0xD7}));
    std::vector<std::uint8_t> image(90112 + 256);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i / 128);
    ASSERT_TRUE(device->writeFirmware(image, image.size() / 128));
    std::vector<std::uint16_t> expected{128, 192};
    for (std::uint32_t w = 4096; w <= 44992; w += 64)
        expected.push_back(static_cast<std::uint16_t>(w));
    EXPECT_EQ(sim->firmwareWordAddresses(), expected);
    // Block at word 4096 carries image bytes from offset 8192.
    const auto third = frames()[3];
    EXPECT_EQ(std::vector<std::uint8_t>(third.begin() + 3, third.begin() + 7), (std::vector<std::uint8_t>{251, 0x00, 0x10, 64}));
}

// Both kinds of controller: the plain one sends its point maps little-endian, the variant asks with
// its own sub-codes and sends them big-endian; either way the totals agree with the counts.
TEST_F(SimLink, PlainAndVariantControllersPollAndSendTheirPointMapsAndRefuseWhatDoesNotFit)
{
    struct Case {
        std::uint8_t variant, petrolSub, gasSub, pollSub;
    };
    for (const Case& c : {Case{0, 30, 31, 6}, Case{0x21, 37, 38, 36}}) {
        SCOPED_TRACE(int(c.variant));
        sim::SimOptions o;
        o.variant = c.variant;
        start(o);
        EXPECT_EQ(device->m_settings.m_devInfo.m_deviceID, c.variant);
        CPointMap petrol, gas;
        ASSERT_TRUE(device->readPetrolMap(petrol));
        ASSERT_TRUE(device->readGasMap(gas));
        const CDiag s = poll();
        EXPECT_EQ(frames(), (std::vector<std::vector<std::uint8_t>>{controlFrame(c.petrolSub), controlFrame(c.gasSub),
                                                                    controlFrame(c.pollSub)}));
        EXPECT_EQ(petrol.total, std::accumulate(petrol.counts.begin(), petrol.counts.end(), 0u));
        EXPECT_EQ(gas.total, std::accumulate(gas.counts.begin(), gas.counts.end(), 0u));
        EXPECT_EQ(s.workMode(), ModePetrol);
        const double rpm = 4800000.0 / s.word(diag::PeriodCount);
        EXPECT_GT(rpm, 500);
        EXPECT_LT(rpm, 1200);
        TearDown();
    }
    // Replies that do not fit are refused: a plain poll to the variant, a point map one byte short.
    sim::SimOptions o;
    o.variant = 0x21;
    start(o, failFast(1));
    device->m_settings.m_devInfo.m_deviceID = 0;
    DiagPayload s{};
    EXPECT_EQ(device->pollDiagnostics(s), PollStatus::UnexpectedReply);
    sim->injectRawReply(frameOf(19, std::vector<std::uint8_t>(187, 0)));
    CPointMap map;
    map.total = 99;
    EXPECT_FALSE(device->readPetrolMap(map));
    EXPECT_EQ(map.total, 99);
}
