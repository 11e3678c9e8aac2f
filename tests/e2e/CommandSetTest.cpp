// The command set against the virtual controller over a real pseudo-terminal: the request bytes on
// the wire, acceptance, attempt counts, pauses, map transfers, firmware addressing and the variant.

#include <numeric>

#include "SimFixture.h"
#include "platform/Clock.h"

using namespace tarvola;
using namespace tarvola::test;

TEST_F(SimLink, ConnectingChecksTheLinkAndReadsTheIdentity)
{
    sim = std::make_unique<sim::VirtualController>(sim::SimOptions{});
    path = sim->start();
    device = std::make_unique<CLPGDevice>(prompt, quickTiming(), AppConfig(tempConfigPath("link")));
    ASSERT_TRUE(device->openPort(path));
    const auto f = frames();
    ASSERT_GE(f.size(), 2u);
    EXPECT_EQ(f[0], controlFrame(0xCC));
    EXPECT_EQ(f[1], (std::vector<std::uint8_t>{0xAA, 0x55, 0x06, 0x02, 0x0D, 0, 0, 0, 0, 0, 0x00, 0x16}));
    EXPECT_TRUE(device->isConnected());
    EXPECT_TRUE(device->diagnosticsAllowed());
    EXPECT_FALSE(device->nativeByteOrder());
    const auto& info = device->m_settings.m_devInfo;
    EXPECT_EQ(info.m_version, 0x0206);
    EXPECT_EQ(info.m_injCount, 4);
    EXPECT_FALSE(info.m_serialEnciphered);
    EXPECT_FALSE(info.m_serial.empty());
    EXPECT_EQ(info.m_deviceID, 0);
    // The port that answered is remembered.
    EXPECT_EQ(device->config().readLastPort(), path);
}

TEST_F(SimLink, NoDiagnosticsControllerConnectsWithPollingDisallowed)
{
    sim::SimOptions o;
    o.noDiag = true;
    start(o);
    EXPECT_FALSE(device->diagnosticsAllowed());
}

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
    std::array<std::uint8_t, 4> flags{};
    std::array<std::uint8_t, 32> piece{};
    CPointMap map;
    const std::vector<Case> cases = {
        {"statistics", [&] { return device->readStatistics(); }, 17, 0},
        {"base", [&] { return device->readSettingsBlock(SettingsBlock::Base, block); }, 7, 0},
        {"adv", [&] { return device->readSettingsBlock(SettingsBlock::Adv, block); }, 8, 0},
        {"advancedSetup", [&] { return device->readSettingsBlock(SettingsBlock::AdvancedSetup, block); }, 34, 0},
        {"mainCorr", [&] { return device->readSettingsBlock(SettingsBlock::MainCorr, block); }, 22, 0},
        {"setupTimes", [&] { return device->readSettingsBlock(SettingsBlock::SetupTimes, block); }, 12, 0},
        {"sensorsSetup", [&] { return device->readSettingsBlock(SettingsBlock::SensorsSetup, block); }, 14, 0},
        {"obdConnection", [&] { return device->readSettingsBlock(SettingsBlock::ObdConnection, block); }, 27, 0},
        {"obdCorrection", [&] { return device->readSettingsBlock(SettingsBlock::ObdCorrection, block); }, 35, 0},
        {"memory", [&] { return device->readMemory(0x0140, piece); }, 11, 0x0140},
        {"errorFlags", [&] { return device->readErrorFlags(flags); }, 5, 0},
        {"storeMap", [&] { return device->storeMap(); }, 19, 0},
        {"clearMap", [&] { return device->clearMap(); }, 20, 0},
        {"injectors", [&] { return device->setActiveInjectors(0x0B); }, 23, 0x000B},
        {"erasePetrol", [&] { return device->erasePetrolMap(); }, 28, 0},
        {"eraseGas", [&] { return device->eraseGasMap(); }, 29, 0},
        {"petrolMap", [&] { return device->readPetrolMap(map); }, 30, 0},
        {"gasMap", [&] { return device->readGasMap(map); }, 31, 0},
        {"gas", [&] { return device->switchToGas(); }, 1, 0},
        {"petrol", [&] { return device->switchToPetrol(); }, 2, 0},
    };
    for (const auto& c : cases) {
        sim->clearReceived();
        EXPECT_TRUE(c.run()) << c.name;
        const auto f = frames();
        ASSERT_EQ(f.size(), 1u) << c.name;
        EXPECT_EQ(f[0], controlFrame(c.sub, c.arg)) << c.name;
    }
}

TEST_F(SimLink, SettingsBlocksWriteAndReadBackInPcOrder)
{
    start();
    // Main corrections are eight 16-bit fields: PC order in, big-endian on the wire, PC order back.
    std::array<std::uint8_t, 16> corr{};
    for (std::size_t i = 0; i < 8; ++i)
        putU16(corr, 2 * i, static_cast<std::uint16_t>(250 + i));
    ASSERT_TRUE(device->writeSettingsBlock(SettingsBlock::MainCorr, corr));
    const auto sent = frames().back();
    ASSERT_EQ(sent.size(), 16u + 6u);
    EXPECT_EQ(sent[3], 15);
    EXPECT_EQ(sent[4], 0x00); // 250 big-endian
    EXPECT_EQ(sent[5], 0xFA);
    std::array<std::uint8_t, 16> back{};
    ASSERT_TRUE(device->readSettingsBlock(SettingsBlock::MainCorr, back));
    EXPECT_EQ(back, corr);
}

TEST_F(SimLink, CommandsAcceptOnlyTheKthAttemptAndGiveUpAfterTheirCount)
{
    start();
    sim->dropNext(4);
    sim->clearReceived();
    EXPECT_TRUE(device->readStatistics());
    EXPECT_EQ(frames().size(), 5u);

    // Fourteen silent attempts: failure, output untouched.
    LinkTiming t = quickTiming();
    t.readTimeoutConstantMs = 60;
    device = std::make_unique<CLPGDevice>(prompt, t, AppConfig(tempConfigPath("link")));
    ASSERT_TRUE(device->openPort(path));
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
    LinkTiming t = quickTiming();
    t.attempts = 2;
    t.readTimeoutConstantMs = 80;
    start({}, t);
    sim->dropNext(2);
    EXPECT_TRUE(device->switchToAuto());
    const auto f = frames();
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0], controlFrame(2));
    EXPECT_EQ(f[1], controlFrame(2));
    EXPECT_EQ(f[2], controlFrame(3));
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
}

TEST_F(SimLink, MapCellEditsReachTheControllersMap)
{
    start();
    ASSERT_TRUE(device->setMapCell(2, 3, -7));
    const auto f = frames().back();
    EXPECT_EQ(f, (std::vector<std::uint8_t>{0xAA, 0x55, 4, 14, 2, 3, 93, 0, 0, (4 + 14 + 2 + 3 + 93 + 1)}));
    EXPECT_EQ(sim->readMemory(kMapBlockAddress + 15 * 2 + 3, 1)[0], 93);

    ASSERT_TRUE(device->editMapRange(0, 0, 2, 2, MapEdit::Set, 110));
    EXPECT_EQ(frames().back(), (std::vector<std::uint8_t>{0xAA, 0x55, 6, 13, 0, 0, 2, 2, 1, 110, 0, 6 + 13 + 2 + 2 + 1 + 110 + 1}));
    const auto mem = sim->readMemory(kMapBlockAddress, kMapBlockSize);
    EXPECT_EQ(mem[0], 110);
    EXPECT_EQ(mem[16], 110);
    EXPECT_EQ(mem[2], 100);
    MapBlock read{};
    EXPECT_TRUE(device->readMapBlock(read)); // the controller kept its check value right
}

TEST_F(SimLink, FirmwareBlocksSkipTheBootLoader)
{
    start();
    ASSERT_TRUE(device->enterProgramming());
    EXPECT_EQ(frames().back(), (std::vector<std::uint8_t>{0xAA, 0x55, 8, 250, 'Q', 'M', '2', '0', '4', '8', '1', '7',
                                                          0x02, 0xD7}));
    std::vector<std::uint8_t> image(90112);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i / 128);
    ASSERT_TRUE(device->writeFirmware(image, image.size() / 128));
    std::vector<std::uint16_t> expected{128, 192};
    for (std::uint32_t w = 4096; w <= 44992; w += 64)
        expected.push_back(static_cast<std::uint16_t>(w));
    EXPECT_EQ(sim->firmwareWordAddresses(), expected);
    // Block at word 4096 carries image bytes from offset 8192, address low byte first.
    const auto f = frames();
    const auto& third = f[3];
    EXPECT_EQ(third[3], 251);
    EXPECT_EQ(third[4], 0x00);
    EXPECT_EQ(third[5], 0x10);
    EXPECT_EQ(third[6], static_cast<std::uint8_t>(8192 / 128));

    EXPECT_TRUE(device->firmwareRequest96());
    EXPECT_TRUE(device->firmwareRequest10());
    EXPECT_FALSE(sim->programming());
}

TEST_F(SimLink, FirmwareWriteStopsWhenBlocksRunOut)
{
    start();
    ASSERT_TRUE(device->enterProgramming());
    std::vector<std::uint8_t> image(3 * 128 + 10, 0xAB);
    ASSERT_TRUE(device->writeFirmware(image, 4)); // words 0, 64, 128, 192: two blocks sent
    EXPECT_EQ(sim->firmwareWordAddresses(), (std::vector<std::uint16_t>{128, 192}));
    EXPECT_TRUE(device->firmwareRequest96());
    EXPECT_TRUE(device->firmwareRequest10());
}

TEST_F(SimLink, LivePollAndPointMapsDecodeConsistently)
{
    start();
    DiagPayload s{};
    ASSERT_EQ(device->pollDiagnostics(s), PollStatus::Read);
    EXPECT_EQ(frames().back(), controlFrame(6));
    EXPECT_EQ(s[0], ModePetrol);
    const unsigned period = s[16] | (s[17] << 8);
    ASSERT_GT(period, 0u);
    const double rpm = 4800000.0 / period;
    EXPECT_GT(rpm, 500);
    EXPECT_LT(rpm, 1200);

    CPointMap petrol, gas;
    ASSERT_TRUE(device->readPetrolMap(petrol));
    ASSERT_TRUE(device->readGasMap(gas));
    EXPECT_EQ(petrol.total, std::accumulate(petrol.counts.begin(), petrol.counts.end(), 0u));
    EXPECT_EQ(gas.total, std::accumulate(gas.counts.begin(), gas.counts.end(), 0u));
}

TEST_F(SimLink, VariantControllerUsesItsOwnSubCodesAndReplyCodes)
{
    sim::SimOptions o;
    o.variant = 0x21;
    start(o);
    EXPECT_EQ(device->m_settings.m_devInfo.m_deviceID, 0x21);
    CPointMap petrol, gas;
    ASSERT_TRUE(device->readPetrolMap(petrol));
    ASSERT_TRUE(device->readGasMap(gas));
    DiagPayload s{};
    ASSERT_EQ(device->pollDiagnostics(s), PollStatus::Read);
    const auto f = frames();
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0], controlFrame(37));
    EXPECT_EQ(f[1], controlFrame(38));
    EXPECT_EQ(f[2], controlFrame(36));
    // Big-endian on the wire, converted: totals agree with the counts.
    EXPECT_EQ(petrol.total, std::accumulate(petrol.counts.begin(), petrol.counts.end(), 0u));
    EXPECT_EQ(gas.total, std::accumulate(gas.counts.begin(), gas.counts.end(), 0u));

    // A plain device asking a variant controller with the plain sub-code is refused.
    device->m_settings.m_devInfo.m_deviceID = 0;
    EXPECT_EQ(device->pollDiagnostics(s), PollStatus::UnexpectedReply);
}

TEST_F(SimLink, PointMapRepliesOfTheWrongLengthAreRejected)
{
    LinkTiming t = quickTiming();
    t.attempts = 1;
    start({}, t);
    std::vector<std::uint8_t> payload(187, 0);
    std::vector<std::uint8_t> reply{0xAA, 0x55, 187, 19};
    reply.insert(reply.end(), payload.begin(), payload.end());
    const unsigned sum = 187 + 19 + 1;
    reply.push_back(static_cast<std::uint8_t>(sum >> 8));
    reply.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    sim->injectRawReply(reply);
    CPointMap map;
    map.total = 99;
    EXPECT_FALSE(device->readPetrolMap(map));
    EXPECT_EQ(map.total, 99);
}

TEST_F(SimLink, BusQueriesReachTheCar)
{
    start();
    // Switch the gateway on (connection record byte 8), then ask for the supported parameters.
    std::array<std::uint8_t, 12> conn{};
    ASSERT_TRUE(device->readSettingsBlock(SettingsBlock::ObdConnection, conn));
    conn[8] = 1;
    ASSERT_TRUE(device->writeSettingsBlock(SettingsBlock::ObdConnection, conn));
    const BusRequestItem pid0{2, 1, 0};
    std::vector<std::uint8_t> reply;
    ASSERT_TRUE(device->busRequests(0x7E0, 0x7E0, 0x7E0, std::span(&pid0, 1), reply));
    ASSERT_GE(reply.size(), 2u + 12u);
    const unsigned frameCount = reply[0] | (reply[1] << 8);
    ASSERT_GE(frameCount, 1u);
    EXPECT_EQ(reply[2 + 4 + 1], 0x41); // positive answer to service 1
    EXPECT_EQ(reply[2 + 4 + 2], 0x00);
    const auto f = frames().back();
    EXPECT_EQ(f[2], 14 + 4);
    EXPECT_EQ(f[3], 23);

    std::array<std::uint8_t, 20> one{};
    putU32(one, 0, 0x7E0);
    putU32(one, 4, 0x7E0);
    putU32(one, 8, 0x7E0);
    one[12] = 2;
    one[13] = 1;
    one[14] = 0x0C;
    EXPECT_TRUE(device->busRequest(one, reply));
    EXPECT_EQ(frames().back()[3], 25);
}

TEST_F(SimLink, ClearErrorsSwitchesToPetrolFirst)
{
    start();
    device->m_settings.m_devInfo.m_injCount = 4;
    device->m_settings.m_base.m_emulatorDelay = 0.5;
    ASSERT_TRUE(device->clearErrors());
    const auto f = frames();
    ASSERT_GE(f.size(), 2u);
    EXPECT_EQ(f.front(), controlFrame(2));
    EXPECT_EQ(f.back(), controlFrame(10));
}
