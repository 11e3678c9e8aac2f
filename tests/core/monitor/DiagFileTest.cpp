// The recording file: what is written comes back, and damaged files neither crash nor mislead.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "monitor/CDiagFile.h"

using namespace tarvola;

namespace {

struct RecordingFile : ::testing::Test {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("tarvola-osc-" + std::to_string(::getpid()));
    void SetUp() override { std::filesystem::create_directories(dir); }
    void TearDown() override { std::filesystem::remove_all(dir); }

    DiagRecording read(const std::string& text, std::size_t limit = CDiagFile::kMaxRecords)
    {
        const auto p = dir / "in.osc";
        std::ofstream(p, std::ios::binary) << text;
        DiagRecording rec;
        EXPECT_TRUE(CDiagFile::readRecording(p.string(), rec, limit));
        return rec;
    }
    static std::string line(double rpm)
    {
        std::array<double, kRecordFields> v{};
        v.fill(23.25);
        v[0] = 2;
        v[1] = rpm;
        return formatRecordLine(v);
    }
};

} // namespace

TEST_F(RecordingFile, WrittenSamplesReadBackInFieldOrder)
{
    const std::string path = (dir / "run.osc").string();
    CDiagFile file;
    ASSERT_TRUE(file.open(path, CDiagFile::Mode::Write));
    CDiag s;
    s.m_bytes[diag::WorkMode] = 3;
    s.m_bytes[diag::PeriodCount + 1] = 5000 >> 8;
    s.m_bytes[diag::PeriodCount] = 5000 & 0xFF;
    s.m_bytes[diag::petrolTime(15)] = 200;
    EXPECT_TRUE(file.writeSample(s, {}));
    EXPECT_TRUE(file.writeSample(CDiag{}, {}));
    // Flushed line by line: a reader sees both before the recorder closes.
    DiagRecording rec;
    ASSERT_TRUE(CDiagFile::readRecording(path, rec));
    ASSERT_EQ(rec.records.size(), 2u);
    EXPECT_TRUE(rec.problem().empty());
    EXPECT_EQ(rec.records[0].workMode, 3);
    EXPECT_EQ(rec.records[0].rpm, 960);
    EXPECT_EQ(rec.records[0].petrolMs[7], 5.0);
    EXPECT_EQ(rec.records[0].gasMs[7], 5.0);
    EXPECT_EQ(rec.records[1].rpm, 0); // a stopped engine, not "inf"

    // The no-recording path is a valid name here, yet must never become a file.
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    EXPECT_FALSE(file.open("", CDiagFile::Mode::Write));
    std::filesystem::current_path(cwd);
    EXPECT_FALSE(std::filesystem::exists(dir / "\\"));
    EXPECT_FALSE(file.writeSample(s, {}));
}

TEST_F(RecordingFile, LastRecordWithoutLineFeedIsKeptAndTheLimitHolds)
{
    std::string text = line(900) + line(1000);
    text.pop_back();
    DiagRecording rec = read(text);
    ASSERT_EQ(rec.records.size(), 2u);
    EXPECT_EQ(rec.records[1].rpm, 1000);
    EXPECT_EQ(rec.records[1].lambda2Volts, 23.2); // "%.1f" of 23.25
    EXPECT_TRUE(rec.problem().empty());

    rec = read(text + "\n" + line(1100), 2);
    EXPECT_EQ(rec.records.size(), 2u);
    EXPECT_TRUE(rec.truncated);
}

TEST_F(RecordingFile, DamagedLinesAreSkippedAndCounted)
{
    std::string crlf = line(700);
    crlf.insert(crlf.size() - 1, "\r");
    std::string with25 = line(902);
    with25.insert(with25.size() - 1, " 7");
    const std::string text = line(900) + "2\t900\t1.0\n" +                     // too few numbers
                             "\n  \t\n" +                                     // blank: ignored
                             "2\t90x1" + line(0).substr(6) +                  // a bad number
                             std::string("2\0\t3\n", 5) +                     // a NUL byte
                             std::string(CDiagFile::kMaxLineLength + 10, '1') + "\n" + with25 +
                             "nan" + line(903).substr(1) + crlf;              // "nan"; CRLF is fine
    const DiagRecording rec = read(text);
    ASSERT_EQ(rec.records.size(), 2u);
    EXPECT_EQ(rec.records[0].rpm, 900);
    EXPECT_EQ(rec.records[1].rpm, 700);
    EXPECT_EQ(rec.skippedLines, 6u);
    EXPECT_EQ(rec.firstSkippedLine, 2u);
    EXPECT_NE(rec.problem().find("6"), std::string::npos);
}
