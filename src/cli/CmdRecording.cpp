// tarvola-cli recording FILE.osc [--csv [OUT]]: what a recording holds (records, duration, the
// minimum, mean and maximum of every channel), or the recording as CSV. Needs no controller.

#include <algorithm>
#include <iomanip>
#include <ostream>
#include <sstream>

#include "CliCommands.h"
#include "Json.h"
#include "monitor/RecordingCsv.h"
#include "monitor/RecordingFields.h"
#include "platform/NumberText.h"

namespace tarvola::cli {

namespace {

// Characters, not bytes, of a UTF-8 text: what a terminal column takes for these names.
std::size_t shownWidth(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char ch) { return (static_cast<unsigned char>(ch) & 0xC0) != 0x80; }));
}

void printSummary(CliContext& c, const std::string& file, const RecordingLoad& load)
{
    const RecordingSummary s = summarize(load.data);
    if (c.options.json) {
        std::vector<std::string> channels;
        for (std::size_t f = 0; f < kRecordFields; ++f) {
            JsonObject o;
            o.add("name", recordingFieldName(f)).add("unit", recordingField(f).unit);
            // As many decimals as the recorder writes: a float's last digits mean nothing here.
            const int decimals = recordingField(f).decimals;
            o.addRaw("minimum", fixedText(s.fields[f].minimum, decimals));
            o.addRaw("mean", fixedText(s.fields[f].mean, decimals + 2));
            o.addRaw("maximum", fixedText(s.fields[f].maximum, decimals));
            channels.push_back(o.str());
        }
        JsonObject o;
        o.add("file", file).add("records", static_cast<std::int64_t>(s.records));
        o.addRaw("durationSeconds", fixedText(s.durationSeconds, 3)).add("samplePeriodSeconds", recordingSamplePeriodSeconds());
        o.add("skippedLines", static_cast<std::int64_t>(load.skippedLines)).addBool("truncated", load.truncated);
        o.addRaw("channels", jsonArray(channels));
        c.out << o.str() << '\n';
        return;
    }
    const auto seconds = static_cast<long long>(s.durationSeconds + 0.5);
    std::ostringstream duration;
    duration << std::setfill('0') << seconds / 3600 << ':' << std::setw(2) << seconds / 60 % 60 << ':'
             << std::setw(2) << seconds % 60;
    c.out << "Records:   " << s.records << '\n'
          << "Duration:  " << duration.str() << " (" << fixedText(s.durationSeconds, 1) << " s, one record every "
          << fixedText(recordingSamplePeriodSeconds(), 3) << " s)\n";
    if (load.skippedLines > 0)
        c.out << "Skipped:   " << load.skippedLines << " damaged lines, the first is line " << load.firstSkippedLine
              << '\n';
    if (load.truncated)
        c.out << "Read:      the first " << s.records << " records only (the file is longer)\n";
    c.out << '\n';

    std::size_t nameWidth = 7;
    std::vector<std::string> headers;
    for (std::size_t f = 0; f < kRecordFields; ++f) {
        headers.push_back(recordingFieldHeader(f));
        nameWidth = std::max(nameWidth, shownWidth(headers.back()));
    }
    const auto row = [&](const std::string& name, const std::string& a, const std::string& b, const std::string& d) {
        c.out << name << std::string(nameWidth + 2 - shownWidth(name), ' ') << std::setw(10) << a << std::setw(10) << b
              << std::setw(10) << d << '\n';
    };
    row("Channel", "minimum", "mean", "maximum");
    for (std::size_t f = 0; f < kRecordFields; ++f) {
        const int decimals = recordingField(f).decimals;
        row(headers[f], fixedText(s.fields[f].minimum, decimals), fixedText(s.fields[f].mean, decimals + 1),
            fixedText(s.fields[f].maximum, decimals));
    }
}

} // namespace

int commandRecording(CliContext& c)
{
    const auto& args = c.options.arguments;
    std::string file;
    bool csv = false;
    std::string csvOut;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--csv" && !csv) {
            csv = true;
            if (i + 1 < args.size() && !args[i + 1].starts_with("-"))
                csvOut = args[++i];
        } else if (file.empty() && !args[i].starts_with("-")) {
            file = args[i];
        } else {
            file.clear();
            break;
        }
    }
    if (file.empty()) {
        c.err << "tarvola-cli: recording needs one recording file (recording FILE.osc [--csv [OUT]])\n";
        return ExitUsage;
    }

    const RecordingLoad load = RecordingLoader::load(file);
    if (load.status != RecordingLoad::Status::Loaded) {
        c.err << "tarvola-cli: " << file << ": " << load.problem() << '\n';
        return ExitRefused;
    }
    if (const std::string problem = load.problem(); !problem.empty())
        c.err << "tarvola-cli: " << file << ": " << problem << '\n';

    if (!csv) {
        printSummary(c, file, load);
        return ExitOk;
    }
    if (csvOut.empty())
        return writeRecordingCsv(c.out, load.data, 0, load.data.size()) ? ExitOk : ExitRefused;
    if (!writeRecordingCsvFile(csvOut, load.data, 0, load.data.size())) {
        c.err << "tarvola-cli: cannot write " << csvOut << '\n';
        return ExitRefused;
    }
    if (c.options.json) {
        JsonObject o;
        o.add("file", file).add("csv", csvOut).add("records", static_cast<std::int64_t>(load.data.size()));
        c.out << o.str() << '\n';
    } else {
        c.out << "Wrote " << load.data.size() << " records to " << csvOut << '\n';
    }
    return ExitOk;
}

} // namespace tarvola::cli
