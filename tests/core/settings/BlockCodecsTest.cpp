// The settings blocks on the wire: offsets, byte order, rounding versus truncation, the sensor
// columns of the temperatures, saturation of absurd record values, and blocks reading only their own
// fields.

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "settings/BlockCodecs.h"
#include "settings/SettingsKeys.h"

using namespace tarvola;

namespace {

enum class B { Base, Adv, MainCorr, SetupTimes, Sensors, AdvancedSetup };

std::vector<std::uint8_t> encode(B block, const CDeviceSettings& s)
{
    std::vector<std::uint8_t> out(kSetupTimesBlockSize, 0xEE);
    switch (block) {
    case B::Base: encodeBase(s, std::span(out).first<kBaseBlockSize>()); out.resize(kBaseBlockSize); break;
    case B::Adv: encodeAdv(s, std::span(out).first<kAdvBlockSize>()); out.resize(kAdvBlockSize); break;
    case B::MainCorr:
        encodeMainCorr(s, std::span(out).first<kMainCorrBlockSize>());
        out.resize(kMainCorrBlockSize);
        break;
    case B::SetupTimes: encodeSetupTimes(s, std::span(out).first<kSetupTimesBlockSize>()); break;
    case B::Sensors:
        encodeSensorsSetup(s, std::span(out).first<kSensorsSetupBlockSize>());
        out.resize(kSensorsSetupBlockSize);
        break;
    case B::AdvancedSetup:
        encodeAdvancedSetup(s, std::span(out).first<kAdvancedSetupBlockSize>());
        out.resize(kAdvancedSetupBlockSize);
        break;
    }
    return out;
}

bool decode(B block, std::span<const std::uint8_t> p, CDeviceSettings& s)
{
    switch (block) {
    case B::Base: return decodeBase(p, s);
    case B::Adv: return decodeAdv(p, s);
    case B::MainCorr: return decodeMainCorr(p, s);
    case B::SetupTimes: return decodeSetupTimes(p, s);
    case B::Sensors: return decodeSensorsSetup(p, s);
    case B::AdvancedSetup: return decodeAdvancedSetup(p, s);
    }
    return false;
}

using Edit = std::function<void(CDeviceSettings&)>;
using Read = std::function<double(const CDeviceSettings&)>;

struct WireCase {
    const char* what;
    B block;
    Edit context; // sensor columns, variant: applied to the writer and the reader alike
    Edit set;
    std::size_t offset;
    std::vector<std::uint8_t> wire; // PC order, as the encoder leaves it
    Read get;
    double readBack;
};

#define SET(stmt) [](CDeviceSettings& s) { stmt; }
#define GET(path) [](const CDeviceSettings& s) { return static_cast<double>(s.path); }
const Edit none = [](CDeviceSettings&) {};

const WireCase kWireCases[] = {
    // engine speeds: 16-bit period codes, read back in whole hundreds
    {"1200 rpm", B::Base, none, SET(s.m_base.m_switchRPM = 1200), 0, {0xA0, 0x0F}, GET(m_base.m_switchRPM), 1200},
    {"1234 rpm", B::Base, none, SET(s.m_base.m_switchRPM = 1234), 0, {0x32, 0x0F}, GET(m_base.m_switchRPM), 1200},
    {"max rpm high", B::Base, none, SET(s.m_base.m_maxRPMHigh = 8000), 8, {0x58, 0x02}, GET(m_base.m_maxRPMHigh), 8000},
    {"minimal gas rpm", B::AdvancedSetup, none, SET(s.m_advancedSetup.m_minimalLPGRPM = 500), 8, {0x80, 0x25},
     GET(m_advancedSetup.m_minimalLPGRPM), 500},
    // times in 25 µs steps, halves away from zero, read to 0.1
    {"min gas time", B::Base, none, SET(s.m_base.m_switchMinGasTime = 1.2375), 2, {50, 0},
     GET(m_base.m_switchMinGasTime), 1.3},
    // pressures: codes of 10 or less read as 0 kPa, 255 as 240
    {"60 kPa", B::Base, none, SET(s.m_base.m_switchPressure = 60), 5, {71}, GET(m_base.m_switchPressure), 60},
    {"-5 kPa", B::Base, none, SET(s.m_base.m_switchPressure = -5), 5, {5}, GET(m_base.m_switchPressure), 0},
    {"240 kPa", B::Base, none, SET(s.m_base.m_pressureRef = 240), 13, {255}, GET(m_base.m_pressureRef), 240},
    // half-second codes: truncated on the way out, shifted or halved on the way back
    {"switch delay 2.5 s", B::Base, none, SET(s.m_base.m_switchDelay = 2.5), 7, {5}, GET(m_base.m_switchDelay), 2},
    {"switch delay 2.9 s", B::Base, none, SET(s.m_base.m_switchDelay = 2.9), 7, {5}, GET(m_base.m_switchDelay), 2},
    {"cut-off exit delay", B::Adv, none, SET(s.m_adv.m_cutOffExitDelay = 2.5), 20, {5}, GET(m_adv.m_cutOffExitDelay),
     2.5},
    {"switch corr time", B::AdvancedSetup, none, SET(s.m_advancedSetup.m_switchCorrTime = 20.9), 11, {41},
     GET(m_advancedSetup.m_switchCorrTime), 20},
    {"lambda delay rounds", B::Sensors, none, SET(s.m_sensorsSetup.m_lambdaEmulatorDelay = 1.25), 8, {3},
     GET(m_sensorsSetup.m_lambdaEmulatorDelay), 1.5},
    // 25 ms delays, read to 0.01
    {"emulator delay half step", B::Base, none, SET(s.m_base.m_emulatorDelay = 0.0125), 20, {1},
     GET(m_base.m_emulatorDelay), 0.03},
    // scaled bytes
    {"flags bit 4 forced", B::Base, none, SET(s.m_base.m_flags = 0x00), 12, {0x10}, GET(m_base.m_flags), 0x10},
    {"pressure gain truncates", B::Base, none, SET(s.m_base.m_pressureGain = 1.29), 14, {12},
     GET(m_base.m_pressureGain), 1.2},
    {"negative pressure gain", B::Base, none, SET(s.m_base.m_pressureGain = -0.57), 14, {0xFB},
     GET(m_base.m_pressureGain), -0.5},
    {"pressure averaging", B::Base, none, SET(s.m_base.m_pressAverageCount = 1.1), 15, {6},
     GET(m_base.m_pressAverageCount), 1.2},
    {"temperature gain", B::Base, none, SET(s.m_base.m_temprGain = 0.35), 17, {4}, GET(m_base.m_temprGain), 0.4},
    {"supply voltage", B::Base, none, SET(s.m_base.m_minVCC = 11.7), 22, {99}, GET(m_base.m_minVCC), 11.6},
    {"pwm 50", B::Adv, none, SET(s.m_adv.m_pwm = 50), 2, {40}, GET(m_adv.m_pwm), 50},
    {"pwm 7", B::Adv, none, SET(s.m_adv.m_pwm = 7), 2, {7}, GET(m_adv.m_pwm), 17},
    {"lambda table", B::Sensors, none, SET(s.m_sensorsSetup.m_lambdaEmulatorTable[0] = 0.51), 10, {26},
     GET(m_sensorsSetup.m_lambdaEmulatorTable[0]), 0.51},
    {"load limit", B::AdvancedSetup, none, SET(s.m_advancedSetup.m_maxLoadTime = 5), 14, {0xE2, 0x04},
     GET(m_advancedSetup.m_maxLoadTime), 5},
    {"service time", B::AdvancedSetup, none, SET(s.m_advancedSetup.m_serviceTime = 0x01020304), 0, {4, 3, 2, 1},
     GET(m_advancedSetup.m_serviceTime), 0x01020304},
    // main corrections in 4 µs steps, read to 0.01
    {"main corr half step", B::MainCorr, none, SET(s.m_mainCorr.m_mainCorr[7] = 1.002), 14, {0xFB, 0x00},
     GET(m_mainCorr.m_mainCorr[7]), 1.0},
    // a negative correction (the calibration allows down to −3 ms) travels as two's complement
    {"main corr negative", B::MainCorr, none, SET(s.m_mainCorr.m_mainCorr[0] = -3.0), 0, {0x12, 0xFD},
     GET(m_mainCorr.m_mainCorr[0]), -3.0},
    {"main corr largest", B::MainCorr, none, SET(s.m_mainCorr.m_mainCorr[1] = 1e9), 2, {0xFF, 0x7F},
     GET(m_mainCorr.m_mainCorr[1]), 131.07},
    // setup times: value + 100, truncated
    {"setup time 155", B::SetupTimes, none, SET(s.m_setupTimes2[19] = 155), 39, {255}, GET(m_setupTimes2[19]), 155},
    {"setup time truncates", B::SetupTimes, none, SET(s.m_setupTimes1[19] = -99.7), 19, {0}, GET(m_setupTimes1[19]),
     -100},
    {"table mask", B::SetupTimes, none, SET(s.m_tableMask = 0xA5), 40, {0xA5}, GET(m_tableMask), 0xA5},
    // temperatures take the column of their sensor
    {"own sensor, column 0", B::Base, SET(s.m_sensorsSetup.m_temprEngineSensor = 2),
     SET(s.m_base.m_maxTemprInside = 100), 21, {32}, GET(m_base.m_maxTemprInside), 100},
    {"switch temp, reducer column 0",
     B::Base, SET((s.m_sensorsSetup.m_temprEngineSensor = 0, s.m_sensorsSetup.m_temprLPGSensor = 2)),
     SET(s.m_base.m_switchTempr = 35), 6, {132}, GET(m_base.m_switchTempr), 35},
    {"warming temp, reducer column 0",
     B::Adv, SET((s.m_sensorsSetup.m_temprEngineSensor = 0, s.m_sensorsSetup.m_temprLPGSensor = 1)),
     SET(s.m_adv.m_warmingUpperTempr = 50), 5, {97}, GET(m_adv.m_warmingUpperTempr), 50},
    {"upper temp, gas column 2",
     B::Base, SET((s.m_sensorsSetup.m_temprEngineSensor = 0, s.m_sensorsSetup.m_temprLPGSensor = 2)),
     SET(s.m_base.m_temprUpper = 60), 19, {40}, GET(m_base.m_temprUpper), 60},
    {"between entries: first at or below", B::Base, none, SET(s.m_base.m_temprRef = 36.5), 16, {52},
     GET(m_base.m_temprRef), 36},
    {"colder than the column", B::Base, none, SET(s.m_base.m_temprBottom = -60), 18, {255},
     GET(m_base.m_temprBottom), -47},
    // fuel level thresholds: mirrored when the fuel type is 1
    {"fuel type 1 full", B::Sensors, SET(s.m_sensorsSetup.m_fuelType = 1), SET(s.m_sensorsSetup.m_fuelFull = 130), 0,
     {125}, GET(m_sensorsSetup.m_fuelFull), 130},
    {"fuel type 0 full", B::Sensors, none, SET(s.m_sensorsSetup.m_fuelFull = 130), 0, {130},
     GET(m_sensorsSetup.m_fuelFull), 130},
    // the variant keeps sensor characteristic 1 as code 3
    {"variant engine sensor", B::Sensors, SET(s.m_devInfo.m_deviceID = 0x21),
     SET(s.m_sensorsSetup.m_temprEngineSensor = 1), 25, {3}, GET(m_sensorsSetup.m_temprEngineSensor), 1},
    {"variant sensor 2", B::Sensors, SET(s.m_devInfo.m_deviceID = 0x21), SET(s.m_sensorsSetup.m_temprLPGSensor = 2),
     26, {2}, GET(m_sensorsSetup.m_temprLPGSensor), 2},
    {"plain engine sensor", B::Sensors, SET(s.m_devInfo.m_deviceID = 0x20),
     SET(s.m_sensorsSetup.m_temprEngineSensor = 1), 25, {1}, GET(m_sensorsSetup.m_temprEngineSensor), 1},
};

void PrintTo(const WireCase& c, std::ostream* os)
{
    *os << c.what;
}

class WireRules : public ::testing::TestWithParam<WireCase> {};

} // namespace

TEST_P(WireRules, TravelAndReadBack)
{
    const WireCase& c = GetParam();
    CDeviceSettings writer;
    c.context(writer);
    c.set(writer);
    const auto bytes = encode(c.block, writer);
    ASSERT_LE(c.offset + c.wire.size(), bytes.size());
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(c.offset),
                                        bytes.begin() + static_cast<std::ptrdiff_t>(c.offset + c.wire.size())),
              c.wire);

    CDeviceSettings reader;
    c.context(reader);
    ASSERT_TRUE(decode(c.block, bytes, reader));
    EXPECT_DOUBLE_EQ(c.get(reader), c.readBack);
}

INSTANTIATE_TEST_SUITE_P(Blocks, WireRules, ::testing::ValuesIn(kWireCases),
                         [](const ::testing::TestParamInfo<WireCase>& param) {
                             std::string name;
                             for (const char* p = param.param.what; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name + "_" + std::to_string(param.index);
                         });

TEST(BlockCodecs, UnlistedBytesAreSentAsZero)
{
    CDeviceSettings s;
    s.m_advancedSetup.m_serviceTime = 0xFFFFFFFF;
    s.m_advancedSetup.m_maxLoadTime = 30;
    const auto advanced = encode(B::AdvancedSetup, s); // the encoder starts from a buffer of 0xEE
    for (std::size_t i : {4, 5, 6, 7, 13, 16, 20, 29})
        EXPECT_EQ(advanced[i], 0) << "offset " << i;
    EXPECT_EQ(encode(B::Base, s)[23], 0);
    EXPECT_EQ(encode(B::SetupTimes, s)[41], 0);
}

TEST(BlockCodecs, ReadsFillOnlyTheirOwnBlockAndRefuseShortPayloads)
{
    CDeviceSettings original;
    original.m_timeStamp = "01-01-2020-00:00:00";
    original.m_carInfo.m_vendor = "car";
    original.m_base.m_switchRPM = 2000;
    original.m_adv.m_pwm = 35;
    original.m_mainCorr.m_mainCorr[2] = 1.5;
    original.m_setupTimes1[3] = 7;
    original.m_sensorsSetup.m_lambdaType = 4;
    original.m_injMapTable[4][4] = 9;
    original.m_advancedSetup.m_switchCorr = 3;

    const std::vector<std::uint8_t> payload(kSetupTimesBlockSize, 0x55);
    for (B block : {B::Base, B::Adv, B::MainCorr, B::SetupTimes, B::Sensors, B::AdvancedSetup}) {
        CDeviceSettings s = original;
        ASSERT_TRUE(decode(block, payload, s));
        EXPECT_EQ(s.m_timeStamp, original.m_timeStamp);
        EXPECT_EQ(s.m_carInfo, original.m_carInfo);
        EXPECT_EQ(s.m_injMapTable, original.m_injMapTable);
        EXPECT_EQ(s.m_base == original.m_base, block != B::Base);
        EXPECT_EQ(s.m_adv == original.m_adv, block != B::Adv);
        EXPECT_EQ(s.m_mainCorr == original.m_mainCorr, block != B::MainCorr);
        EXPECT_EQ(s.m_setupTimes1 == original.m_setupTimes1, block != B::SetupTimes);
        EXPECT_EQ(s.m_sensorsSetup == original.m_sensorsSetup, block != B::Sensors);
        EXPECT_EQ(s.m_advancedSetup == original.m_advancedSetup, block != B::AdvancedSetup);

        CDeviceSettings untouched = original;
        EXPECT_FALSE(decode(block, std::span(payload).first(encode(block, original).size() - 1), untouched));
        EXPECT_EQ(untouched.m_base, original.m_base);
        EXPECT_EQ(untouched.m_sensorsSetup, original.m_sensorsSetup);
    }
}

// Absurd record values (a corrupt file, an unchecked page) must neither overflow nor wrap: each
// saturates at the nearest code its field holds, and NaN goes out as 0 (the slowest speed for rpm).
TEST(BlockCodecs, AbsurdValuesSaturate)
{
    struct Expect {
        B block;
        std::size_t offset;
        std::vector<std::uint8_t> bytes;
    };
    struct Row {
        double value;
        std::uint8_t mapCell;
        std::vector<Expect> expects;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Row rows[] = {
        {nan, 0,
         {{B::Base, 0, {0xFF, 0xFF}}, {B::Base, 5, {0}}, {B::Base, 6, {0}}, {B::Base, 14, {0}}, {B::Base, 22, {0}},
          {B::SetupTimes, 0, {0}}, {B::MainCorr, 0, {0, 0}}}},
        {1e300, 255,
         {{B::Base, 0, {0x01, 0x00}}, {B::Base, 2, {0xFF, 0xFF}}, {B::Base, 5, {255}}, {B::Base, 6, {0}},
          {B::Base, 14, {0x7F}}, {B::Adv, 2, {255}}, {B::SetupTimes, 0, {255}}, {B::AdvancedSetup, 14, {0xFF, 0xFF}}}},
        {-1e300, 0,
         {{B::Base, 0, {0xFF, 0xFF}}, {B::Base, 5, {0}}, {B::Base, 6, {255}}, {B::Base, 14, {0x80}}, {B::Adv, 2, {0}},
          {B::SetupTimes, 0, {0}}, {B::Sensors, 10, {0}}}},
        {-5, 95,
         {{B::Base, 0, {0xFF, 0xFF}}, {B::Base, 2, {0, 0}}, {B::Base, 7, {0}}, {B::Base, 14, {0xCE}},
          {B::SetupTimes, 0, {95}}}},
    };
    for (const auto& row : rows) {
        CDeviceSettings s;
        for (const auto& key : settingsKeys())
            if (auto ref = key.field(s); std::holds_alternative<double*>(ref))
                *std::get<double*>(ref) = row.value;
        s.m_advancedSetup.m_maxLoadTime = row.value; // the one double no settings key names
        MapBlock map{};
        encodeMap(s, map);
        EXPECT_EQ(map[0], row.mapCell) << row.value;
        for (const auto& e : row.expects) {
            const auto bytes = encode(e.block, s);
            for (std::size_t i = 0; i < e.bytes.size(); ++i)
                EXPECT_EQ(bytes[e.offset + i], e.bytes[i])
                    << "value " << row.value << " block " << static_cast<int>(e.block) << " offset " << e.offset + i;
        }
    }
}

TEST(BlockCodecs, MapCellsTravelAsPercentPlus100)
{
    CDeviceSettings s;
    s.m_injMapTable[0][0] = -50;
    s.m_injMapTable[0][1] = 50;
    s.m_injMapTable[1][2] = 7.9; // truncated
    s.m_injMapTable[18][14] = -3;
    s.m_corrMap.m_flags = 0x81;
    MapBlock block{};
    encodeMap(s, block);
    EXPECT_EQ(block[0], 50);
    EXPECT_EQ(block[1], 150);
    EXPECT_EQ(block[2], 100);
    EXPECT_EQ(block[15 * 1 + 2], 107);
    EXPECT_EQ(block[15 * 18 + 14], 97);
    EXPECT_EQ(block[285], 0x81);
    EXPECT_EQ(storedMapCheckValue(block), mapCheckValue(block));

    // Whatever byte a controller holds is kept as it came: -100 .. 155.
    block[3] = 0;
    block[4] = 255;
    CDeviceSettings back;
    decodeMap(block, back);
    EXPECT_EQ(back.m_injMapTable[0][0], -50);
    EXPECT_EQ(back.m_injMapTable[0][1], 50);
    EXPECT_EQ(back.m_injMapTable[1][2], 7);
    EXPECT_EQ(back.m_injMapTable[18][14], -3);
    EXPECT_EQ(back.m_injMapTable[0][3], -100);
    EXPECT_EQ(back.m_injMapTable[0][4], 155);
    EXPECT_EQ(back.m_corrMap.m_flags, 0x81);
}
