// Demo mode: nothing touches the port, commands succeed at once (the bus queries fail), the record
// keeps its values, and the live samples follow the simulated work mode.

#include <functional>

#include "ScriptedDevice.h"
#include "device/DemoSequence.h"

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

// Block reads must keep the record: an unfilled map block read into it would turn every cell into -100 %.
TEST_F(Demo, CommandsSucceedWithoutAFrameAndBlockReadsKeepTheRecord)
{
    device.m_settings.m_base.m_switchRPM = 2500;
    device.m_settings.m_injMapTable[3][3] = 12;
    device.m_settings.m_corrMap.m_flags = 1;
    const CDeviceSettings before = device.m_settings;
    std::array<std::uint8_t, 4> flags{9, 9, 9, 9};
    std::array<std::uint8_t, 28> block{};
    MapBlock map{};
    CPointMap points;
    std::array<std::uint8_t, 20> req{};
    std::vector<std::uint8_t> reply;
    const BusRequestItem item;
    const std::pair<const char*, std::function<bool()>> commands[] = {
        {"identity", [&] { return device.readIdentity() && device.identityKnown() && device.readStatistics(); }},
        {"error flags", [&] { return device.readErrorFlags(flags) && flags == decltype(flags){}; }},
        {"settings block", [&] { return device.readSettingsBlock(SettingsBlock::Base, block); }},
        {"map block", [&] { return device.readMapBlock(map) && device.writeMapBlock(map); }},
        {"map cells", [&] { return device.setMapCell(0, 0, 5) && device.editMapRange(0, 0, 1, 1, MapEdit::Add, 3); }},
        {"store, clear map", [&] { return device.storeMap() && device.clearMap() && device.setActiveInjectors(15); }},
        {"point maps", [&] { return device.readPetrolMap(points) && device.readGasMap(points); }},
        {"erase maps", [&] { return device.erasePetrolMap() && device.eraseGasMap() && device.clearErrors(); }},
        {"firmware", [&] { return device.enterProgramming() && device.firmwareRequest96() && device.firmwareRequest10(); }},
        {"firmware blocks", [&] { return device.writeFirmware(std::vector<std::uint8_t>(1024), 8); }},
        {"record map", [&] { return device.readMap() && device.writeMap(); }},
        {"bus requests", [&] {
             return !device.busRequest(req, reply) && !device.busRequests(0x7E0, 0x7E0, 0x7E0, std::span(&item, 1), reply);
         }},
        {"OBD blocks", [&] { return !device.readSettings(SettingsBlock::ObdConnection); }},
    };
    for (const auto& [name, run] : commands)
        EXPECT_TRUE(run()) << name;
    for (auto b : {SettingsBlock::Base, SettingsBlock::Adv, SettingsBlock::AdvancedSetup, SettingsBlock::MainCorr,
                   SettingsBlock::SetupTimes, SettingsBlock::SensorsSetup})
        EXPECT_TRUE(device.readSettings(b) && device.writeSettings(b));
    EXPECT_EQ(device.m_settings.m_base.m_switchRPM, 2500);
    EXPECT_EQ(device.m_settings.m_sensorsSetup, before.m_sensorsSetup);
    EXPECT_EQ(device.m_settings.m_injMapTable, before.m_injMapTable);
    EXPECT_EQ(device.m_settings.m_corrMap, before.m_corrMap);
}

TEST_F(Demo, TheFirstSampleStartsAFreshBufferAndSamplesFollowTheWorkMode)
{
    device.diagData().append(CDiag{});
    EXPECT_EQ(poll().byte(diag::WorkMode), ModePetrol);
    EXPECT_EQ(device.diagData().count(), 0u);
    device.diagData().append(CDiag{});
    poll();
    EXPECT_EQ(device.diagData().count(), 1u) << "later polls keep the buffer";
    ASSERT_TRUE(device.switchToGas());
    EXPECT_EQ(poll().byte(diag::WorkMode), ModeGas);
    ASSERT_TRUE(device.switchToPetrolAndWait());
    EXPECT_EQ(poll().byte(diag::WorkMode), ModePetrol);
}
