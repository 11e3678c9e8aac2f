// Reading a whole recording for the viewer: damaged, binary, empty and endless files are refused or
// skipped without harm, and the CSV carries the values.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <locale>
#include <random>
#include <sstream>

#include "monitor/CDiagFile.h"
#include "monitor/RecordingCsv.h"
#include "monitor/RecordingFields.h"
#include "monitor/RecordingLoader.h"

using namespace tarvola;
using Status = RecordingLoad::Status;

namespace {

namespace fs = std::filesystem;

struct RecordingLoaderTest : ::testing::Test {
    fs::path dir = fs::temp_directory_path() / ("tarvola-load-" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    std::string file(const std::string& text)
    {
        const auto p = dir / "in.osc";
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }
    // A record whose every time is `ms` and whose engine speed is `rpm`.
    static std::string line(double rpm, double ms = 3.25)
    {
        std::array<double, kRecordFields> v{};
        v.fill(ms);
        v[0] = 3;
        v[1] = rpm;
        v[18] = 120;
        v[22] = 0.8;
        return formatRecordLine(v);
    }
};

// A German locale's decimal comma, for streams.
struct CommaPoint : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

} // namespace

TEST_F(RecordingLoaderTest, DamagedFilesAreRefusedOrSkippedAndCounted)
{
    std::string binary(300000, '\0');
    std::mt19937 random(7);
    for (char& c : binary)
        c = static_cast<char>(random());
    const std::string two = line(800) + line(900);
    const std::string cut = line(1000).substr(0, 40);

    struct Case {
        const char* what;
        std::string text;
        Status status;
        std::size_t records, skipped, firstSkipped;
    } cases[] = {
        {"empty", "", Status::NotRecording, 0, 0, 0},
        {"blank lines only", "\n \r\n\n", Status::NotRecording, 0, 0, 0},
        {"binary", binary, Status::NotRecording, 0, 0, 0},
        {"last record cut mid-line", two + cut, Status::Loaded, 2, 1, 3},
        {"last record without line feed", two + line(1000).substr(0, line(1000).size() - 1), Status::Loaded, 3, 0, 0},
        {"damaged line between records", line(800) + "12\tx\n" + line(900) + "1\t2\n", Status::Loaded, 2, 2, 2},
        {"overlong line", line(800) + std::string(5000, '1') + "\n" + line(900), Status::Loaded, 2, 1, 2},
        {"windows line ends", line(800).substr(0, line(800).size() - 1) + "\r\n", Status::Loaded, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RecordingLoad load = RecordingLoader::load(file(c.text));
        EXPECT_EQ(load.status, c.status);
        EXPECT_EQ(load.data.size(), c.records);
        if (c.status == Status::Loaded) {
            EXPECT_EQ(load.skippedLines, c.skipped);
            EXPECT_EQ(load.firstSkippedLine, c.firstSkipped);
        }
        EXPECT_EQ(load.problem().empty(), c.status == Status::Loaded && c.skipped == 0);
    }
    EXPECT_EQ(RecordingLoader::load((dir / "missing.osc").string()).status, Status::CannotOpen);

    // The record limit: the rest of the file is left and said so; blank text after it is no rest.
    const RecordingLoad limited = RecordingLoader::load(file(two + line(1000)), 2);
    EXPECT_TRUE(limited.truncated);
    EXPECT_EQ(limited.data.size(), 2u);
    EXPECT_NE(limited.problem().find('2'), std::string::npos);
    EXPECT_FALSE(RecordingLoader::load(file(two + "\n\n"), 2).truncated);
}

TEST_F(RecordingLoaderTest, CsvAndSummaryCarryTheRecordedValuesWhateverTheLocale)
{
    const RecordingLoad load = RecordingLoader::load(file(line(800, 2.5) + line(1200.4, 12.75) + line(1000, 3)));
    ASSERT_EQ(load.status, Status::Loaded);

    const std::locale before = std::locale::global(std::locale(std::locale::classic(), new CommaPoint));
    std::ostringstream csv;
    EXPECT_TRUE(writeRecordingCsv(csv, load.data, 1, 99));
    std::locale::global(before);

    std::istringstream lines(csv.str());
    std::string header, first, second, extra;
    std::getline(lines, header);
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_FALSE(std::getline(lines, extra)) << "records 1 and 2 only";
    EXPECT_EQ(header.substr(0, header.find(",Lambda")),
              "Czas [s],Tryb pracy,Obroty silnika [1/min],Wtrysk benz. 1 [ms],Wtrysk gazu 1 [ms],Wtrysk benz. 2 [ms],"
              "Wtrysk gazu 2 [ms],Wtrysk benz. 3 [ms],Wtrysk gazu 3 [ms],Wtrysk benz. 4 [ms],Wtrysk gazu 4 [ms],"
              "Wtrysk benz. 5 [ms],Wtrysk gazu 5 [ms],Wtrysk benz. 6 [ms],Wtrysk gazu 6 [ms],Wtrysk benz. 7 [ms],"
              "Wtrysk gazu 7 [ms],Wtrysk benz. 8 [ms],Wtrysk gazu 8 [ms],Ciśnienie gazu [kPa],Podciśnienie [kPa],"
              "Temp. gazu [°C],Temp. redukt. [°C]");
    EXPECT_EQ(first.substr(0, 30), "0.126,3,1200,12.75,12.75,12.75");
    EXPECT_EQ(second.substr(second.size() - 18), ",120,3,3,3,0.8,3.0");

    const RecordingSummary s = summarize(load.data);
    EXPECT_EQ(s.records, 3u);
    EXPECT_DOUBLE_EQ(s.durationSeconds, 3 * 0.126);
    EXPECT_FLOAT_EQ(static_cast<float>(s.fields[1].minimum), 800);
    EXPECT_FLOAT_EQ(static_cast<float>(s.fields[1].maximum), 1200);
    EXPECT_NEAR(s.fields[2].mean, (2.5 + 12.75 + 3) / 3, 1e-6);
    EXPECT_EQ(readingsAt(load.data, 7).at(2).text, "3.00") << "the cursor past the end reads the last record";
}
