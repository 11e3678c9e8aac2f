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
    // A file of a whole record with one line replaced.
    std::string withLine(const std::string& key, const std::string& value)
    {
        const auto p = (dir / "edited.xset").string();
        EXPECT_TRUE(writeSettingsRecord(p, CDeviceSettings{}));
        std::string text = slurp(p);
        const auto at = text.find(key + "\t");
        EXPECT_NE(at, std::string::npos);
        text.replace(at, text.find("\r\n", at) - at, key + "\t" + value);
        return put("edited.xset", text);
    }
};

// Every key gets a value unlike its default, with at most 6 significant digits.
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

TEST_F(SettingsFile, EveryKeyRoundTripsAndOnlyKeyedFieldsAreTouched)
{
    const CDeviceSettings saved = unusualRecord();
    const auto p = (dir / "all.xset").string();
    ASSERT_TRUE(writeSettingsRecord(p, saved));

    const std::string text = slurp(p);
    EXPECT_EQ(text.rfind("m_timeStamp\t", 0), 0u);
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; ++at, ++lines)
        ASSERT_EQ(text[at - 1], '\r') << "line " << lines;
    EXPECT_EQ(lines, settingsKeys().size());
    EXPECT_FALSE(fs::exists(p + ".tmp-" + std::to_string(::getpid())));

    CDeviceSettings loaded;
    loaded.m_adv.m_channelBytes[0] = 99; // no key carries it: must survive the read
    std::string error;
    ASSERT_TRUE(readSettingsRecord(p, loaded, error)) << error;
    for (const auto& key : settingsKeys())
        EXPECT_EQ(key.text(loaded), key.text(saved)) << key.name();
    EXPECT_EQ(loaded.m_carInfo.m_model, saved.m_carInfo.m_model); // the TAB inside survives
    EXPECT_EQ(loaded.m_adv.m_channelBytes[0], 99);
    EXPECT_EQ(loaded.m_base.m_pcStamp, CBaseSettings{}.m_pcStamp);
}

// Integer fields are written whole, so a large counter survives our own files exactly; files from
// writers that put every number through 6 significant digits still read, a digit poorer.
TEST_F(SettingsFile, LargeCountersAreWrittenWholeAndExponentNotationReads)
{
    CDeviceSettings r;
    r.m_devInfo.m_statistic.gas = 1234567;
    const auto p = (dir / "exp.xset").string();
    ASSERT_TRUE(writeSettingsRecord(p, r));
    EXPECT_NE(slurp(p).find("m_devInfo.m_statistic.gas\t1234567\r\n"), std::string::npos);
    CDeviceSettings back;
    std::string error;
    ASSERT_TRUE(readSettingsRecord(p, back, error)) << error;
    EXPECT_EQ(back.m_devInfo.m_statistic.gas, 1234567u);
    ASSERT_TRUE(readSettingsRecord(withLine("m_devInfo.m_statistic.gas", "1.23457e+06"), back, error)) << error;
    EXPECT_EQ(back.m_devInfo.m_statistic.gas, 1234570u);
}

TEST_F(SettingsFile, KeyOrderDoesNotMatterAndLfOnlyLinesRead)
{
    const CDeviceSettings saved = unusualRecord();
    const auto p = (dir / "order.xset").string();
    ASSERT_TRUE(writeSettingsRecord(p, saved));
    std::istringstream in(slurp(p));
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);)
        lines.push_back(l.substr(0, l.size() - 1)); // without the CR
    std::string reversed;
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
        reversed += *it + "\n";
    CDeviceSettings loaded;
    std::string error;
    ASSERT_TRUE(readSettingsRecord(put("rev.xset", reversed), loaded, error)) << error;
    for (const auto& key : settingsKeys())
        ASSERT_EQ(key.text(loaded), key.text(saved)) << key.name();
}

TEST_F(SettingsFile, AMissingKeyFailsAndChangesNothing)
{
    const auto p = (dir / "missing.xset").string();
    ASSERT_TRUE(writeSettingsRecord(p, unusualRecord()));
    std::string text = slurp(p);
    const auto at = text.find("m_advancedSetup.m_advancedFlags\t");
    text.erase(at, text.find('\n', at) + 1 - at);
    CDeviceSettings record;
    record.m_base.m_switchRPM = 1500;
    std::string error;
    EXPECT_FALSE(readSettingsRecord(put("missing.xset", text), record, error));
    EXPECT_NE(error.find("m_advancedSetup.m_advancedFlags"), std::string::npos);
    EXPECT_EQ(record.m_base.m_switchRPM, 1500);
    EXPECT_EQ(record.m_timeStamp, "");
    EXPECT_FALSE(readSettingsRecord((dir / "none.xset").string(), record, error));
}

TEST_F(SettingsFile, LineReaderRules)
{
    const std::string filler(511 - 5, 'x'); // "long\t" and this fill the first piece exactly
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
    const std::pair<const char*, const char*> found[] = {
        {"m_base.m_flags", ""}, {"dup", "first"}, {"tabs", "a\tb"}, {"lf", "only"}, {"num", "  -12.5e1kPa"},
    };
    for (const auto& [key, want] : found) {
        std::string v = "unset";
        EXPECT_TRUE(f.readString(key, v)) << key;
        EXPECT_EQ(v, want) << key;
    }
    std::string v;
    ASSERT_TRUE(f.readString("long", v));
    EXPECT_EQ(v, filler);
    ASSERT_TRUE(f.readString("hidden", v)); // the rest of a long line counts as a line
    EXPECT_EQ(v, "inside");
    EXPECT_FALSE(f.readString("bare", v));     // nothing after the TAB, not even a line end
    EXPECT_FALSE(f.readString("absent", v));
    EXPECT_FALSE(f.readString("m_base", v));   // keys match whole
    double d = 7;
    EXPECT_TRUE(f.readNumber("m_base.m_flags", d));
    EXPECT_EQ(d, 0);
    EXPECT_TRUE(f.readNumber("num", d));
    EXPECT_EQ(d, -125);
    EXPECT_TRUE(f.readNumber("word", d));
    EXPECT_EQ(d, 0);
}

TEST(SettingsFileNumbers, LeadingNumberAndWrittenNotation)
{
    const std::pair<const char*, double> cases[] = {
        {"1200", 1200}, {"+3", 3},     {" \t0.5x", 0.5}, {"--5", 0}, {"0x1A", 0}, {"", 0},
        {"1e-400", 0},  {"-7e2", -700}, {".25", 0.25},
    };
    for (const auto& [text, want] : cases)
        EXPECT_EQ(CSettingsFile::leadingNumber(text), want) << text;
    EXPECT_EQ(CSettingsFile::leadingNumber("1e400"), HUGE_VAL);
    EXPECT_EQ(CSettingsFile::leadingNumber("-1e400"), -HUGE_VAL);
    EXPECT_TRUE(std::isnan(CSettingsFile::leadingNumber("nan")));

    // writeNumber and the registry's number keys must write the same text.
    const auto p = (fs::temp_directory_path() / ("tarvola-num-" + std::to_string(::getpid()) + ".xset")).string();
    const auto* key = findSettingsKey("m_base.m_switchRPM");
    ASSERT_NE(key, nullptr);
    for (double value : {1200.0, 0.5, 0.004, 1234567.0, -0.1, 1e-7}) {
        {
            CSettingsFile f;
            ASSERT_TRUE(f.open(p, true));
            ASSERT_TRUE(f.writeNumber("k", value));
            ASSERT_TRUE(f.close());
        }
        CDeviceSettings r;
        r.m_base.m_switchRPM = value;
        std::ifstream in(p, std::ios::binary);
        std::string line((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(line, "k\t" + key->text(r) + "\r\n");
    }
    fs::remove(p);
}

// Rule: a number must be finite, and an integer field takes it truncated toward zero only when the
// field can hold that; anything else refuses the whole file with the key named.
TEST_F(SettingsFile, ValuesAFieldCannotHoldRefuseTheFile)
{
    const std::pair<const char*, const char*> refused[] = {
        {"m_base.m_sparkDivider", "1e300"},  {"m_base.m_sparkDivider", "256"},
        {"m_base.m_sparkDivider", "-1"},     {"m_base.m_flags", "nan"},
        {"m_devInfo.m_flags1", "1e20"},      {"m_devInfo.m_statistic.modify", "65536"},
        {"m_devInfo.m_version", "3e9"},      {"m_base.m_switchRPM", "inf"},
        {"m_base.m_switchRPM", "-1e400"},
    };
    for (const auto& [key, value] : refused) {
        CDeviceSettings r;
        r.m_base.m_switchRPM = 2345;
        std::string error;
        EXPECT_FALSE(readSettingsRecord(withLine(key, value), r, error)) << key << " " << value;
        EXPECT_NE(error.find(key), std::string::npos) << error;
        EXPECT_EQ(r.m_base.m_switchRPM, 2345);
    }
    CDeviceSettings r;
    std::string error;
    ASSERT_TRUE(readSettingsRecord(withLine("m_base.m_sparkDivider", "255.9"), r, error)) << error;
    EXPECT_EQ(r.m_base.m_sparkDivider, 255);
    ASSERT_TRUE(readSettingsRecord(withLine("m_devInfo.m_version", "-2.7"), r, error)) << error;
    EXPECT_EQ(r.m_devInfo.m_version, -2);
    ASSERT_TRUE(readSettingsRecord(withLine("m_base.m_flags", "-0.5"), r, error)) << error;
    EXPECT_EQ(r.m_base.m_flags, 0);
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

    const auto underFile = (fs::path(p) / "sub" / "x.xset").string(); // a folder that cannot exist
    EXPECT_FALSE(writeSettingsRecord(underFile, CDeviceSettings{}));
    if (fs::exists("/dev/full")) {
        CSettingsFile f;
        ASSERT_TRUE(f.open("/dev/full", true));
        f.writeString("k", "v"); // buffered: the full disk shows when the buffer goes out
        EXPECT_FALSE(f.close());
    }
}
