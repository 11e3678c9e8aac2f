// The settings blocks on the wire: offsets, byte order, rounding versus truncation, the sensor
// columns of the temperatures, saturation of absurd record values, and blocks reading only their own
// fields.

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <tuple>
#include <vector>

#include "settings/BlockCodecs.h"
#include "settings/SettingsKeys.h"

using namespace tarvola;

namespace {

using Bytes = std::vector<std::uint8_t>;

// One block's encoder, its output sized to the block and started from 0xEE (bytes without a field
// must come out 0), and its decoder.
struct Codec {
    std::function<Bytes(const CDeviceSettings&)> encode;
    bool (*decode)(std::span<const std::uint8_t>, CDeviceSettings&);
};
template <std::size_t N>
Codec codec(void (*encode)(const CDeviceSettings&, std::span<std::uint8_t, N>),
            bool (*decode)(std::span<const std::uint8_t>, CDeviceSettings&))
{
    const auto run = [encode](const CDeviceSettings& s) {
        Bytes out(N, 0xEE);
        encode(s, std::span<std::uint8_t, N>(out.data(), N));
        return out;
    };
    return {run, decode};
}
enum B { Base, Adv, MainCorr, SetupTimes, Sensors, AdvancedSetup };
const Codec kCodecs[] = {codec(encodeBase, decodeBase),
                         codec(encodeAdv, decodeAdv),
                         codec(encodeMainCorr, decodeMainCorr),
                         codec(encodeSetupTimes, decodeSetupTimes),
                         codec(encodeSensorsSetup, decodeSensorsSetup),
                         codec(encodeAdvancedSetup, decodeAdvancedSetup)};

void put(CDeviceSettings& s, const char* key, double value)
{
    std::visit(
        [value](auto* field) {
            using T = std::remove_pointer_t<decltype(field)>;
            if constexpr (std::is_arithmetic_v<T>)
                *field = static_cast<T>(value);
        },
        findSettingsKey(key)->field(s));
}

using Context = std::vector<std::pair<const char*, double>>;
const char* const kEngineSensor = "m_sensorsSetup.m_temprEngineSensor";
const char* const kGasSensor = "m_sensorsSetup.m_temprLPGSensor";
const char* const kDeviceId = "m_devInfo.m_deviceID";

} // namespace

TEST(BlockCodecs, FieldsTravelAtTheirOffsetsAndReadBackByTheirRules)
{
    struct Case {
        const char* key;
        double value;
        B block;
        std::size_t offset;
        Bytes wire; // PC order, as the encoder leaves it
        double readBack;
        Context context = {}; // sensor columns, variant: set in the writer and the reader alike
    };
    const Case cases[] = {
        // engine speeds: 16-bit period codes, read back in whole hundreds
        {"m_base.m_switchRPM", 1234, Base, 0, {0x32, 0x0F}, 1200},
        {"m_base.m_maxRPMHigh", 8000, Base, 8, {0x58, 0x02}, 8000},
        {"m_advancedSetup.m_minimalLPGRPM", 500, AdvancedSetup, 8, {0x80, 0x25}, 500},
        // times in 25 µs steps, halves away from zero, read to 0.1
        {"m_base.m_switchMinGasTime", 1.2375, Base, 2, {50, 0}, 1.3},
        // pressures: codes of 10 or less read as 0 kPa, 255 as 240
        {"m_base.m_switchPressure", 60, Base, 5, {71}, 60},
        {"m_base.m_switchPressure", -5, Base, 5, {5}, 0},
        {"m_base.m_pressureRef", 240, Base, 13, {255}, 240},
        // half-second codes: truncated on the way out, shifted or halved on the way back
        {"m_base.m_switchDelay", 2.9, Base, 7, {5}, 2},
        {"m_adv.m_cutOffExitDelay", 2.5, Adv, 20, {5}, 2.5},
        {"m_advancedSetup.m_switchCorrTime", 20.9, AdvancedSetup, 11, {41}, 20},
        {"m_sensorsSetup.m_lambdaEmulatorDelay", 1.25, Sensors, 8, {3}, 1.5}, // this one rounds
        // 25 ms delays, read to 0.01
        {"m_base.m_emulatorDelay", 0.0125, Base, 20, {1}, 0.03},
        // scaled bytes
        {"m_base.m_flags", 0, Base, 12, {0x10}, 0x10}, // bit 4 always sent
        {"m_base.m_pressureGain", 1.29, Base, 14, {12}, 1.2},
        {"m_base.m_pressureGain", -0.57, Base, 14, {0xFB}, -0.5},
        {"m_base.m_pressAverageCount", 1.1, Base, 15, {6}, 1.2},
        {"m_base.m_temprGain", 0.35, Base, 17, {4}, 0.4},
        {"m_base.m_minVCC", 11.7, Base, 22, {99}, 11.6},
        {"m_adv.m_pwm", 50, Adv, 2, {40}, 50},
        {"m_adv.m_pwm", 7, Adv, 2, {7}, 17},
        {"m_sensorsSetup.m_lambdaEmulatorTable[1000]", 0.51, Sensors, 10, {26}, 0.51},
        // main corrections in 4 µs steps, read to 0.01; negative ones (down to −3 ms) in two's complement
        {"m_mainCorr.m_mainCorr[7]", 1.002, MainCorr, 14, {0xFB, 0x00}, 1.0},
        {"m_mainCorr.m_mainCorr[0]", -3.0, MainCorr, 0, {0x12, 0xFD}, -3.0},
        {"m_mainCorr.m_mainCorr[1]", 1e9, MainCorr, 2, {0xFF, 0x7F}, 131.07},
        // setup times: value + 100, truncated
        {"m_setupTimes2[20]", 155, SetupTimes, 39, {255}, 155},
        {"m_setupTimes1[20]", -99.7, SetupTimes, 19, {0}, -100},
        {"m_tableMask", 0xA5, SetupTimes, 40, {0xA5}, 0xA5},
        // temperatures take the column of their sensor; between entries the first at or below
        {"m_base.m_maxTemprInside", 100, Base, 21, {32}, 100, {{kEngineSensor, 2}}},
        {"m_base.m_switchTempr", 35, Base, 6, {132}, 35, {{kEngineSensor, 0}, {kGasSensor, 2}}},
        {"m_adv.m_warmingUpperTempr", 50, Adv, 5, {97}, 50, {{kEngineSensor, 0}, {kGasSensor, 1}}},
        {"m_base.m_temprUpper", 60, Base, 19, {40}, 60, {{kEngineSensor, 0}, {kGasSensor, 2}}},
        {"m_base.m_temprRef", 36.5, Base, 16, {52}, 36},
        {"m_base.m_temprBottom", -60, Base, 18, {255}, -47},
        // fuel level thresholds: mirrored when the fuel type is 1
        {"m_sensorsSetup.m_fuelFull", 130, Sensors, 0, {125}, 130, {{"m_sensorsSetup.m_fuelType", 1}}},
        {"m_sensorsSetup.m_fuelFull", 130, Sensors, 0, {130}, 130},
        // the variant keeps sensor characteristic 1 as code 3
        {kEngineSensor, 1, Sensors, 25, {3}, 1, {{kDeviceId, 0x21}}},
        {kGasSensor, 2, Sensors, 26, {2}, 2, {{kDeviceId, 0x21}}},
        {kEngineSensor, 1, Sensors, 25, {1}, 1, {{kDeviceId, 0x20}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " = " + std::to_string(c.value));
        CDeviceSettings writer, reader;
        for (const auto& [key, value] : c.context) {
            put(writer, key, value);
            put(reader, key, value);
        }
        put(writer, c.key, c.value);
        const Bytes bytes = kCodecs[c.block].encode(writer);
        ASSERT_LE(c.offset + c.wire.size(), bytes.size());
        EXPECT_EQ(Bytes(bytes.begin() + c.offset, bytes.begin() + c.offset + c.wire.size()), c.wire);
        ASSERT_TRUE(kCodecs[c.block].decode(bytes, reader));
        EXPECT_DOUBLE_EQ(*findSettingsKey(c.key)->number(reader), c.readBack);
    }
}

TEST(BlockCodecs, UnkeyedFieldsAndUnlistedBytes)
{
    CDeviceSettings s;
    s.m_advancedSetup.m_serviceTime = 0x01020304;
    s.m_advancedSetup.m_maxLoadTime = 5;
    const Bytes advanced = kCodecs[AdvancedSetup].encode(s);
    EXPECT_EQ(Bytes(advanced.begin(), advanced.begin() + 4), (Bytes{4, 3, 2, 1}));
    EXPECT_EQ(advanced[14], 0xE2);
    EXPECT_EQ(advanced[15], 0x04);
    for (std::size_t i : {4, 5, 6, 7, 13, 16, 20, 29})
        EXPECT_EQ(advanced[i], 0) << "offset " << i;
    EXPECT_EQ(kCodecs[Base].encode(s)[23], 0);
    EXPECT_EQ(kCodecs[SetupTimes].encode(s)[41], 0);
    CDeviceSettings back;
    ASSERT_TRUE(decodeAdvancedSetup(advanced, back));
    EXPECT_EQ(back.m_advancedSetup.m_serviceTime, 0x01020304u);
    EXPECT_EQ(back.m_advancedSetup.m_maxLoadTime, 5);
}

// A decoder changes only the fields its block carries, and a short payload changes nothing.
TEST(BlockCodecs, ReadsFillOnlyTheirOwnBlockAndRefuseShortPayloads)
{
    const SettingsBlock blocks[] = {SettingsBlock::Base,       SettingsBlock::Adv,          SettingsBlock::MainCorr,
                                    SettingsBlock::SetupTimes, SettingsBlock::SensorsSetup, SettingsBlock::AdvancedSetup};
    const CDeviceSettings original;
    const Bytes payload(kSetupTimesBlockSize, 0x55);
    for (B block : {Base, Adv, MainCorr, SetupTimes, Sensors, AdvancedSetup}) {
        SCOPED_TRACE(block);
        CDeviceSettings s = original, untouched = original;
        ASSERT_TRUE(kCodecs[block].decode(payload, s));
        const std::size_t size = kCodecs[block].encode(original).size();
        EXPECT_FALSE(kCodecs[block].decode(std::span(payload).first(size - 1), untouched));
        int changed = 0;
        for (const auto& key : settingsKeys()) {
            EXPECT_EQ(key.text(untouched), key.text(original)) << key.name();
            if (key.text(s) != key.text(original)) {
                ++changed;
                EXPECT_TRUE(key.target() == KeyTarget::Block && key.block() == blocks[block]) << key.name();
            }
        }
        EXPECT_GT(changed, 0);
    }
}

// Absurd record values (a corrupt file, an unchecked page) must neither overflow nor wrap: each
// saturates at the nearest code its field holds, and NaN goes out as 0 (the slowest speed for rpm).
TEST(BlockCodecs, AbsurdValuesSaturate)
{
    struct Expect {
        B block;
        std::size_t offset;
        Bytes bytes;
    };
    struct Row {
        double value;
        std::uint8_t mapCell;
        std::vector<Expect> expects;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Row rows[] = {
        {nan, 0,
         {{Base, 0, {0xFF, 0xFF}}, {Base, 5, {0}}, {Base, 6, {0}}, {Base, 14, {0}}, {Base, 22, {0}},
          {SetupTimes, 0, {0}}, {MainCorr, 0, {0, 0}}}},
        {1e300, 255,
         {{Base, 0, {0x01, 0x00}}, {Base, 2, {0xFF, 0xFF}}, {Base, 5, {255}}, {Base, 6, {0}}, {Base, 14, {0x7F}},
          {Adv, 2, {255}}, {SetupTimes, 0, {255}}, {AdvancedSetup, 14, {0xFF, 0xFF}}}},
        {-1e300, 0,
         {{Base, 0, {0xFF, 0xFF}}, {Base, 5, {0}}, {Base, 6, {255}}, {Base, 14, {0x80}}, {Adv, 2, {0}},
          {SetupTimes, 0, {0}}, {Sensors, 10, {0}}}},
        {-5, 95, {{Base, 0, {0xFF, 0xFF}}, {Base, 2, {0, 0}}, {Base, 7, {0}}, {Base, 14, {0xCE}}, {SetupTimes, 0, {95}}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        CDeviceSettings s;
        for (const auto& key : settingsKeys())
            if (auto ref = key.field(s); std::holds_alternative<double*>(ref))
                *std::get<double*>(ref) = row.value;
        s.m_advancedSetup.m_maxLoadTime = row.value; // the one double no settings key names
        MapBlock map{};
        encodeMap(s, map);
        EXPECT_EQ(map[0], row.mapCell);
        for (const auto& e : row.expects) {
            const Bytes bytes = kCodecs[e.block].encode(s);
            EXPECT_EQ(Bytes(bytes.begin() + e.offset, bytes.begin() + e.offset + e.bytes.size()), e.bytes)
                << "block " << e.block << " offset " << e.offset;
        }
    }
}

TEST(BlockCodecs, MapCellsTravelAsPercentPlus100)
{
    // row, column, record value, byte, read back; whatever byte a controller holds is kept: -100 .. 155
    const std::tuple<int, int, double, std::uint8_t, double> cells[] = {
        {0, 0, -50, 50, -50}, {0, 1, 50, 150, 50},    {1, 2, 7.9, 107, 7},
        {18, 14, -3, 97, -3}, {0, 3, -100, 0, -100}, {0, 4, 155, 255, 155}};
    CDeviceSettings s;
    for (const auto& [row, column, value, byte, readBack] : cells)
        s.m_injMapTable[row][column] = value;
    s.m_corrMap.m_flags = 0x81;
    MapBlock block{};
    encodeMap(s, block);
    EXPECT_EQ(block[2], 100);
    EXPECT_EQ(block[285], 0x81);
    EXPECT_EQ(storedMapCheckValue(block), mapCheckValue(block));
    CDeviceSettings back;
    decodeMap(block, back);
    for (const auto& [row, column, value, byte, readBack] : cells) {
        EXPECT_EQ(block[15 * row + column], byte) << row << "/" << column;
        EXPECT_EQ(back.m_injMapTable[row][column], readBack) << row << "/" << column;
    }
    EXPECT_EQ(back.m_corrMap.m_flags, 0x81);
}
