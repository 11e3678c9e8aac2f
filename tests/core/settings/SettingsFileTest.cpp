// Settings files: the line format, the bounded line reader, whole records going out and back, and
// the values an integer field cannot hold.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "settings/CSettingsFile.h"
#include "settings/SettingsKeys.h"

using namespace tarvola;
namespace fs = std::filesystem;

namespace {

class SettingsFile : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() / ("tarvola-xset-" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    std::string put(const std::string& name, const std::string& contents)
    {
        const auto p = (dir / name).string();
        std::ofstream(p, std::ios::binary) << contents;
        return p;
    }
    static std::string slurp(const std::string& p)
    {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string written(const std::string& name, const CDeviceSettings& record)
    {
        const auto p = (dir / name).string();
        EXPECT_TRUE(writeSettingsRecord(p, record));
        return slurp(p);
    }
    // A file of a default record with one line replaced, or removed when `value` is null.
    std::string withLine(const std::string& key, const char* value)
    {
        std::string text = written("edited.xset", CDeviceSettings{});
        const auto at = text.find(key + "\t");
        EXPECT_NE(at, std::string::npos);
        const auto end = text.find("\r\n", at);
        text.replace(at, value ? end - at : end + 2 - at, value ? key + "\t" + value : "");
        return put("edited.xset", text);
    }
};

// Every key gets a value unlike its default; the 32-bit counters need all ten digits.
CDeviceSettings unusualRecord()
{
    CDeviceSettings r;
    int i = 0;
    for (const auto& key : settingsKeys()) {
        ++i;
        std::visit(
            [&](auto* f) {
                using T = std::remove_pointer_t<decltype(f)>;
                if constexpr (std::is_same_v<T, std::string>)
                    *f = "v" + std::to_string(i) + " \xC5\xBC\tafter tab";
                else if constexpr (std::is_same_v<T, double>)
                    *f = -3.25 + 0.125 * i;
                else if constexpr (std::is_same_v<T, std::int32_t>)
                    *f = -1000 * i;
                else if constexpr (std::is_same_v<T, std::uint32_t>)
                    *f = 4000000000u + static_cast<std::uint32_t>(i);
                else
                    *f = static_cast<T>(i % 250 + 1);
            },
            key.field(r));
    }
    return r;
}

} // namespace

TEST_F(SettingsFile, EveryKeyRoundTripsInAnyOrderAndOnlyKeyedFieldsAreTouched)
{
    const CDeviceSettings saved = unusualRecord();
    const std::string text = written("all.xset", saved);
    EXPECT_EQ(text.rfind("m_timeStamp\t", 0), 0u);
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
        ASSERT_EQ(text[end - 1], '\r') << "line " << lines.size();
        lines.push_back(text.substr(at, end - 1 - at));
    }
    EXPECT_EQ(lines.size(), settingsKeys().size());
    EXPECT_FALSE(fs::exists(dir / ("all.xset.tmp-" + std::to_string(::getpid()))));

    // Read back as written, and with the lines reversed and ending in LF only.
    std::string reversed;
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
        reversed += *it + "\n";
    for (const auto& p : {(dir / "all.xset").string(), put("rev.xset", reversed)}) {
        CDeviceSettings loaded;
        loaded.m_adv.m_channelBytes[0] = 99; // no key carries it: must survive the read
        std::string error;
        ASSERT_TRUE(readSettingsRecord(p, loaded, error)) << error;
        for (const auto& key : settingsKeys())
            ASSERT_EQ(key.text(loaded), key.text(saved)) << key.name();
        EXPECT_EQ(loaded.m_carInfo.m_model, saved.m_carInfo.m_model); // the TAB inside survives
        EXPECT_EQ(loaded.m_adv.m_channelBytes[0], 99);
        EXPECT_EQ(loaded.m_base.m_pcStamp, CBaseSettings{}.m_pcStamp);
    }
}

// A number must be finite, and an integer field takes it truncated toward zero only when the field
// can hold that; anything else, or a missing key, refuses the whole file with the key named.
TEST_F(SettingsFile, MissingKeysAndValuesAFieldCannotHoldRefuseTheFile)
{
    const std::pair<const char*, const char*> refused[] = {
        {"m_advancedSetup.m_advancedFlags", nullptr}, {"m_base.m_sparkDivider", "1e300"},
        {"m_base.m_sparkDivider", "256"},             {"m_base.m_sparkDivider", "-1"},
        {"m_base.m_flags", "nan"},                    {"m_devInfo.m_flags1", "1e20"},
        {"m_devInfo.m_statistic.modify", "65536"},    {"m_devInfo.m_version", "3e9"},
        {"m_base.m_switchRPM", "inf"},                {"m_base.m_switchRPM", "-1e400"},
    };
    for (const auto& [key, value] : refused) {
        SCOPED_TRACE(std::string(key) + " = " + (value ? value : "(missing)"));
        CDeviceSettings r;
        r.m_base.m_switchRPM = 2345;
        std::string error;
        EXPECT_FALSE(readSettingsRecord(withLine(key, value), r, error));
        EXPECT_NE(error.find(key), std::string::npos) << error;
        EXPECT_EQ(r.m_base.m_switchRPM, 2345);
        EXPECT_EQ(r.m_timeStamp, "");
    }
    const std::pair<const char*, const char*> truncated[] = {
        {"m_base.m_sparkDivider", "255.9"}, {"m_devInfo.m_version", "-2.7"}, {"m_base.m_flags", "-0.5"},
        {"m_devInfo.m_statistic.gas", "1.23457e+06"}}; // from writers that keep 6 significant digits
    for (const auto& [key, value] : truncated) {
        CDeviceSettings r;
        std::string error;
        ASSERT_TRUE(readSettingsRecord(withLine(key, value), r, error)) << error;
        EXPECT_EQ(findSettingsKey(key)->number(r), std::trunc(std::stod(value))) << key;
    }
    CDeviceSettings r;
    std::string error;
    EXPECT_FALSE(readSettingsRecord((dir / "none.xset").string(), r, error));
}

TEST_F(SettingsFile, LineReaderRules)
{
    const std::string filler(CSettingsFile::kMaxLinePiece - 5, 'x'); // "long\t" and this fill the first piece
    const auto p = put("lines.xset", "m_base.m_flags\t\r\n"
                                     "dup\tfirst\r\n"
                                     "dup\tsecond\r\n"
                                     "tabs\ta\tb\r\n"
                                     "lf\tonly\n"
                                     "long\t" + filler + "hidden\tinside\r\n"
                                     "num\t  -12.5e1kPa\r\n"
                                     "word\tabc\r\n"
                                     "bare\t");
    CSettingsFile f;
    ASSERT_TRUE(f.open(p, false));
    const std::pair<const char*, std::string> found[] = {
        {"m_base.m_flags", ""}, {"dup", "first"}, {"tabs", "a\tb"},       {"lf", "only"},
        {"long", filler},       {"num", "  -12.5e1kPa"},
        {"hidden", "inside"}, // the rest of a long line counts as a line
    };
    for (const auto& [key, want] : found) {
        std::string v = "unset";
        EXPECT_TRUE(f.readString(key, v)) << key;
        EXPECT_EQ(v, want) << key;
    }
    std::string v;
    for (const char* absent : {"bare", "absent", "m_base"}) // "bare": nothing after the TAB, not even a line end
        EXPECT_FALSE(f.readString(absent, v)) << absent;
    const std::pair<const char*, double> numbers[] = {{"m_base.m_flags", 0}, {"num", -125}, {"word", 0}};
    for (const auto& [key, want] : numbers) {
        double d = 7;
        EXPECT_TRUE(f.readNumber(key, d));
        EXPECT_EQ(d, want) << key;
    }
}

TEST_F(SettingsFile, LeadingNumbersAndTheWrittenNotation)
{
    const std::pair<const char*, double> cases[] = {
        {"1200", 1200}, {"+3", 3},       {" \t0.5x", 0.5}, {"--5", 0},         {"0x1A", 0},          {"", 0},
        {"1e-400", 0},  {"-7e2", -700},  {".25", 0.25},    {"1e400", HUGE_VAL}, {"-1e400", -HUGE_VAL},
    };
    for (const auto& [text, want] : cases)
        EXPECT_EQ(CSettingsFile::leadingNumber(text), want) << text;
    EXPECT_TRUE(std::isnan(CSettingsFile::leadingNumber("nan")));

    // writeNumber and the registry's number keys must write the same text.
    const auto p = (dir / "num.xset").string();
    const auto* key = findSettingsKey("m_base.m_switchRPM");
    for (double value : {1200.0, 0.5, 0.004, 1234567.0, -0.1, 1e-7}) {
        CSettingsFile f;
        ASSERT_TRUE(f.open(p, true));
        ASSERT_TRUE(f.writeNumber("k", value));
        ASSERT_TRUE(f.close());
        CDeviceSettings r;
        r.m_base.m_switchRPM = value;
        EXPECT_EQ(slurp(p), "k\t" + key->text(r) + "\r\n");
    }
}

TEST_F(SettingsFile, AFailedSaveLeavesTheOldFileAndSaysSo)
{
    const auto p = put("keep.xset", "old contents\r\n");
    // The temporary file cannot be created when a folder already stands in its place.
    const auto blocker = dir / ("keep.xset.tmp-" + std::to_string(::getpid()));
    fs::create_directory(blocker);
    EXPECT_FALSE(writeSettingsRecord(p, CDeviceSettings{}));
    EXPECT_EQ(slurp(p), "old contents\r\n");
    fs::remove(blocker);

    EXPECT_FALSE(writeSettingsRecord((fs::path(p) / "sub" / "x.xset").string(), CDeviceSettings{}));
    if (fs::exists("/dev/full")) {
        CSettingsFile f;
        ASSERT_TRUE(f.open("/dev/full", true));
        f.writeString("k", "v"); // buffered: the full disk shows when the buffer goes out
        EXPECT_FALSE(f.close());
    }
}
