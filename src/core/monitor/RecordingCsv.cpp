#include "monitor/RecordingCsv.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "monitor/RecordingFields.h"
#include "platform/NumberText.h"

namespace tarvola {

namespace {

// A heading as one CSV cell: quoted when it holds a separator or a quote.
std::string cell(const std::string& text)
{
    if (text.find_first_of(",\"\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + "\"";
}

} // namespace

bool writeRecordingCsv(std::ostream& out, const RecordingData& data, std::size_t first, std::size_t end)
{
    std::string line = cell(recordingTimeHeader());
    for (std::size_t f = 0; f < kRecordFields; ++f)
        line += "," + cell(recordingFieldHeader(f));
    out << line << '\n';
    end = std::min(end, data.size());
    for (std::size_t i = first; i < end && out; ++i) {
        line = fixedText(recordTimeSeconds(i), 3);
        for (std::size_t f = 0; f < kRecordFields; ++f) {
            line += ',';
            line += recordingValueText(f, data.value(f, i));
        }
        line += '\n';
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
    }
    out.flush();
    return static_cast<bool>(out);
}

bool writeRecordingCsvFile(const std::string& path, const RecordingData& data, std::size_t first, std::size_t end)
{
    namespace fs = std::filesystem;
    const std::string temp = path + ".tmp-" + std::to_string(::getpid());
    std::error_code ec;
    bool written = false;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        written = out && writeRecordingCsv(out, data, first, end);
        out.close();
        written = written && !out.fail();
    }
    if (written)
        fs::rename(temp, path, ec);
    if (!written || ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

} // namespace tarvola
