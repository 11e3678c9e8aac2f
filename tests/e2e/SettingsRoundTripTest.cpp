// A whole settings record through the virtual controller: every block written, then read back into a
// fresh record in the connection's order, field by field; the map likewise; and the PC stamp of the
// PC that wrote the base block. The simulator keeps blocks exactly as written, so whatever
// comes back went there through our encoders and returns through our decoders.

#include "SimFixture.h"
#include "platform/PcStamp.h"
#include "settings/SettingsKeys.h"

using namespace tarvola;
using namespace tarvola::test;

namespace {

// The connection's order: the sensors come first, since the temperatures of base and adv are coded
// with their columns.
constexpr SettingsBlock kBlocks[] = {SettingsBlock::SensorsSetup, SettingsBlock::Base,       SettingsBlock::Adv,
                                     SettingsBlock::MainCorr,     SettingsBlock::SetupTimes, SettingsBlock::AdvancedSetup};

PcStampSource fixedStamp(PcStamp stamp)
{
    return [stamp] { return std::optional<PcStamp>(stamp); };
}

// Values away from every default, each one a value its field reads back exactly.
void fillNonDefault(CDeviceSettings& s)
{
    auto& t = s.m_sensorsSetup;
    t.m_temprEngineSensor = 0, t.m_temprLPGSensor = 2, t.m_fuelSensorType = 0;
    t.m_fuelType = 1, t.m_fuelRes = 1;
    t.m_fuelFull = 45, t.m_fuelHgw = 140, t.m_fuelHalf = 180, t.m_fuelQuarter = 230;
    t.m_lambdaType = 2, t.m_lambdaEmulatorOn = 1, t.m_lambdaEmulatorDelay = 1.5, t.m_lambdaSecond = 1;
    t.m_lambdaEmulatorTable = {0.2, 0.51, 0.82, 1.14, 1.45, 1.76, 2.08, 2.39, 2.71, 3.02, 3.33, 3.65, 3.96, 4.27, 4.59};

    auto& b = s.m_base;
    b.m_switchRPM = 1500, b.m_maxRPMHigh = 6500, b.m_maxRPMLow = 5500;
    b.m_switchTempr = 50, b.m_maxTemprInside = 89;                   // column 0
    b.m_temprRef = 10, b.m_temprBottom = -5, b.m_temprUpper = 70;    // column 2
    b.m_sparkDivider = 2, b.m_switchDelay = 12, b.m_switchMinGasTime = 2.5, b.m_emulatorDelay = 1.25;
    b.m_switchPressure = 80, b.m_pressureRef = 120, b.m_pressureGain = 1.3, b.m_pressAverageCount = 2.4;
    b.m_temprGain = 0.5, b.m_minVCC = 10.8, b.m_flags = 0x83;

    auto& a = s.m_adv;
    a.m_pwmOffset = 3.5, a.m_pwm = 35, a.m_injectorWarmingImpulse = 1.2, a.m_warmingTime = 45;
    a.m_warmingUpperTempr = 60, a.m_injectorType = 4, a.m_minLPGTime = 0.5, a.m_ignoreLPGTime = 0.8;
    a.m_engineSignalBehavior = 1, a.m_flags = 0x07, a.m_cutOffPressSwitch = 200;
    a.m_cutOffExitEmulatorDelay = 0.25, a.m_cutOffExitDelay = 3.5;
    a.m_channelBytes = {1, 1, 2, 2, 4, 4, 8, 8};

    s.m_mainCorr.m_mainCorr = {0.5, 0.75, 1.0, 1.25, 1.5, 1.75, 2.0, 0.04};
    for (std::size_t i = 0; i < kSetupTimesCount; ++i) {
        s.m_setupTimes1[i] = static_cast<double>(i) * 5 - 50;
        s.m_setupTimes2[i] = 100 - static_cast<double>(i) * 7;
    }
    s.m_tableMask = 0x3C;

    auto& d = s.m_advancedSetup;
    d.m_serviceTime = 123456, d.m_minimalLPGRPM = 1200, d.m_switchCorr = 5, d.m_switchCorrTime = 60;
    d.m_advancedFlags = 0x93, d.m_maxLoadTime = 12.5;

    for (std::size_t r = 0; r < kInjMapRows; ++r)
        for (std::size_t c = 0; c < kInjMapColumns; ++c)
            s.m_injMapTable[r][c] = static_cast<double>((r * kInjMapColumns + c) % 101) - 50;
    s.m_corrMap.m_flags = 1;
}

} // namespace

TEST_F(SimLink, WholeRecordWrittenAndReadBackFieldByField)
{
    start();
    ScopedPcStampSource stamp(fixedStamp({0xDE, 0xAD, 0xBE, 0xEF}));
    fillNonDefault(device->m_settings);
    CDeviceSettings want = device->m_settings;
    want.m_base.m_flags |= 0x10;
    want.m_base.m_pcStamp = {0xDE, 0xAD, 0xBE, 0xEF};

    for (auto block : kBlocks)
        ASSERT_TRUE(device->writeSettings(block)) << layoutOf(block).name;
    ASSERT_TRUE(device->writeMap());

    // Multi-byte fields reach the controller big-endian.
    const auto base = sim->settingsBlock(sim::Block::Base);
    EXPECT_EQ(base[0], 0x0C); // 1500 rpm: period code 3200
    EXPECT_EQ(base[1], 0x80);
    EXPECT_EQ(base[12], 0x93);
    EXPECT_EQ((std::vector<std::uint8_t>(base.begin() + 24, base.end())),
              (std::vector<std::uint8_t>{0xDE, 0xAD, 0xBE, 0xEF}));
    EXPECT_EQ(sim->readMemory(kMapBlockAddress, 1)[0], 50); // cell -50

    const CDevInfo identity = device->m_settings.m_devInfo;
    device->m_settings = CDeviceSettings{};
    device->m_settings.m_devInfo = identity;
    for (auto block : kBlocks)
        ASSERT_TRUE(device->readSettings(block)) << layoutOf(block).name;
    ASSERT_TRUE(device->readMap());
    const CDeviceSettings& got = device->m_settings;

    for (const auto& key : settingsKeys()) {
        if (key.target() != KeyTarget::None) {
            EXPECT_EQ(key.text(got), key.text(want)) << key.name();
        }
    }
    // The fields no key names.
    EXPECT_EQ(got.m_base.m_pcStamp, want.m_base.m_pcStamp);
    EXPECT_EQ(got.m_adv.m_channelBytes, want.m_adv.m_channelBytes);
    EXPECT_EQ(got.m_advancedSetup.m_serviceTime, want.m_advancedSetup.m_serviceTime);
    EXPECT_EQ(got.m_advancedSetup.m_maxLoadTime, want.m_advancedSetup.m_maxLoadTime);
    // And nothing beyond what the text shows.
    EXPECT_EQ(got.m_base, want.m_base);
    EXPECT_EQ(got.m_adv, want.m_adv);
    EXPECT_EQ(got.m_sensorsSetup, want.m_sensorsSetup);
    EXPECT_EQ(got.m_injMapTable, want.m_injMapTable);

    // Another PC puts its own stamp in; a PC that cannot tell its stamp sends the previous one.
    const auto stampInController = [&] {
        const auto b = sim->settingsBlock(sim::Block::Base);
        return PcStamp{b[24], b[25], b[26], b[27]};
    };
    ScopedPcStampSource other(fixedStamp({0x55, 0x66, 0x77, 0x88}));
    ASSERT_TRUE(device->writeSettings(SettingsBlock::Base));
    EXPECT_EQ(stampInController(), (PcStamp{0x55, 0x66, 0x77, 0x88}));
    ScopedPcStampSource unknown([] { return std::optional<PcStamp>(); });
    ASSERT_TRUE(device->writeSettings(SettingsBlock::Base));
    EXPECT_EQ(stampInController(), (PcStamp{0x55, 0x66, 0x77, 0x88}));
    ASSERT_TRUE(device->readSettings(SettingsBlock::Base));
    EXPECT_EQ(device->m_settings.m_base.m_pcStamp, (PcStamp{0x55, 0x66, 0x77, 0x88}));
}
