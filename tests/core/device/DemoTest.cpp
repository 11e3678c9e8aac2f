// Demo mode: nothing touches the port, commands succeed at once (the bus queries fail), the record
// keeps its values, and the live samples follow the simulated work mode.

#include <filesystem>
#include <unistd.h>

#include "ScriptedDevice.h"
#include "core/msglib/ThreadTestSupport.h"
#include "device/DemoSequence.h"
#include "device/DiagPolling.h"
#include "monitor/CDiagFile.h"

using namespace tarvola;
using namespace tarvola::test;

namespace {

struct Demo : ScriptedDevice {
    void SetUp() override
    {
        resetDemoSequenceForTesting();
        device.setDemo(true);
        device.setConnected(true);
    }
    void TearDown() override { EXPECT_TRUE(port->written.empty()) << "demo mode sent a frame"; }
    CDiag poll()
    {
        DiagPayload p{};
        EXPECT_EQ(device.pollDiagnostics(p), PollStatus::Read);
        CDiag s;
        std::copy(p.begin(), p.end(), s.m_bytes.begin());
        return s;
    }
};

} // namespace

TEST_F(Demo, EveryCommandSucceedsButTheBusQueries)
{
    EXPECT_TRUE(device.readIdentity());
    EXPECT_TRUE(device.identityKnown());
    EXPECT_TRUE(device.readStatistics());
    std::array<std::uint8_t, 4> flags{9, 9, 9, 9};
    EXPECT_TRUE(device.readErrorFlags(flags));
    EXPECT_EQ(flags, (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    std::array<std::uint8_t, 28> block{};
    block.fill(0x77);
    EXPECT_TRUE(device.readSettingsBlock(SettingsBlock::Base, block));
    EXPECT_EQ(block[0], 0x77); // left as it was
    EXPECT_TRUE(device.writeSettingsBlock(SettingsBlock::Base, block));
    MapBlock map{};
    EXPECT_TRUE(device.readMapBlock(map));
    EXPECT_TRUE(device.writeMapBlock(map));
    EXPECT_TRUE(device.storeMap());
    EXPECT_TRUE(device.clearMap());
    EXPECT_TRUE(device.setMapCell(0, 0, 5));
    EXPECT_TRUE(device.editMapRange(0, 0, 1, 1, MapEdit::Add, 3));
    EXPECT_TRUE(device.setActiveInjectors(0x0F));
    EXPECT_TRUE(device.erasePetrolMap());
    EXPECT_TRUE(device.eraseGasMap());
    EXPECT_TRUE(device.clearErrors());
    EXPECT_TRUE(device.enterProgramming());
    EXPECT_TRUE(device.firmwareRequest96());
    EXPECT_TRUE(device.firmwareRequest10());
    EXPECT_TRUE(device.writeFirmware(std::vector<std::uint8_t>(1024), 8));

    std::array<std::uint8_t, 20> req{};
    std::vector<std::uint8_t> reply;
    EXPECT_FALSE(device.busRequest(req, reply));
    const BusRequestItem item;
    EXPECT_FALSE(device.busRequests(0x7E0, 0x7E0, 0x7E0, std::span(&item, 1), reply));

    // The simulated point maps: gas times 12 % above the petrol times, bin by bin, in the first 26 bins.
    CPointMap petrol, gas;
    ASSERT_TRUE(device.readPetrolMap(petrol));
    ASSERT_TRUE(device.readGasMap(gas));
    for (std::size_t i = 1; i < 26; ++i)
        EXPECT_NEAR(gas.sums[i] / double(gas.counts[i]), 1.12 * petrol.sums[i] / petrol.counts[i], 0.01) << i;
    EXPECT_EQ(petrol.counts[26], 0);
}

TEST_F(Demo, BlockReadsKeepTheRecordAndTheObdRecordsAreNotPartOfIt)
{
    // An unfilled map block read into the record would turn every cell into -100 %.
    device.m_settings.m_base.m_switchRPM = 2500;
    device.m_settings.m_injMapTable[3][3] = 12;
    device.m_settings.m_corrMap.m_flags = 1;
    const CDeviceSettings before = device.m_settings;
    for (auto block : {SettingsBlock::Base, SettingsBlock::Adv, SettingsBlock::AdvancedSetup, SettingsBlock::MainCorr,
                       SettingsBlock::SetupTimes, SettingsBlock::SensorsSetup}) {
        EXPECT_TRUE(device.readSettings(block));
        EXPECT_TRUE(device.writeSettings(block));
    }
    EXPECT_TRUE(device.readMap());
    EXPECT_TRUE(device.writeMap());
    EXPECT_EQ(device.m_settings.m_base.m_switchRPM, 2500);
    EXPECT_EQ(device.m_settings.m_sensorsSetup, before.m_sensorsSetup);
    EXPECT_EQ(device.m_settings.m_injMapTable, before.m_injMapTable);
    EXPECT_EQ(device.m_settings.m_corrMap, before.m_corrMap);

    EXPECT_FALSE(device.readSettings(SettingsBlock::ObdConnection));
    EXPECT_FALSE(device.writeSettings(SettingsBlock::ObdCorrection));
}

TEST_F(Demo, TheFirstSampleStartsAFreshBuffer)
{
    device.diagData().append(CDiag{});
    poll();
    EXPECT_EQ(device.diagData().count(), 0u);
    device.diagData().append(CDiag{});
    poll();
    EXPECT_EQ(device.diagData().count(), 1u) << "later polls keep the buffer";
}

TEST_F(Demo, WorkModeSwitchesShowInTheSamplesAndShortenThePetrolTime)
{
    EXPECT_EQ(poll().byte(diag::WorkMode), ModePetrol);
    // t = (pressure code of 101 kPa - 50) * 6 = (113.22 - 50) * 6 = 379.32
    EXPECT_EQ(poll().word(diag::petrolTime(0)), 380);

    resetDemoSequenceForTesting();
    ASSERT_TRUE(device.switchToGas());
    EXPECT_EQ(device.demoWorkMode(), ModeGas);
    const CDiag s = poll();
    EXPECT_EQ(s.byte(diag::WorkMode), ModeGas);
    EXPECT_EQ(s.byte(diag::ActiveInjectors), 255);
    EXPECT_EQ(s.word(diag::petrolTime(0)), 124);      // the starting t is not scaled
    EXPECT_EQ(poll().word(diag::petrolTime(0)), 342); // 0.9 * 379.32 = 341.388 -> 341, plus the offset 1
    ASSERT_TRUE(device.switchToPetrolAndWait());
    EXPECT_EQ(poll().byte(diag::WorkMode), ModePetrol);
}

// The polling thread fills the buffer until it is stopped; a start while it runs ends the running
// one first (one thread at a time), and the recording of the first is closed whole.
TEST_F(Demo, PollingStartsAndStopsOneThreadAtATime)
{
    const auto path = std::filesystem::temp_directory_path() / ("tarvola-demo-" + std::to_string(::getpid()) + ".osc");
    for (int run = 0; run < 3; ++run) {
        ASSERT_TRUE(device.startDiagnostics(run == 0 ? path.string() : ""));
        EXPECT_TRUE(device.pollingOn());
        EXPECT_EQ(lpgThreadManager().count(), 2u) << "the reaper and one polling thread";
        EXPECT_TRUE(waitUntil([&] { return device.diagData().count() >= 3; })) << run;
    }
    device.stopDiagnostics();
    EXPECT_FALSE(device.pollingOn());
    EXPECT_EQ(lpgThreadManager().count(), 1u);
    const auto count = device.diagData().count();
    EXPECT_FALSE(waitUntil([&] { return device.diagData().count() != count; }, 20ms)) << "polled after the stop";
    DiagRecording recording;
    ASSERT_TRUE(CDiagFile::readRecording(path.string(), recording));
    EXPECT_GE(recording.records.size(), 3u);
    EXPECT_TRUE(recording.problem().empty());
    std::filesystem::remove(path);
}
