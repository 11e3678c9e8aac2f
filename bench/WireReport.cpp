#include "WireReport.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace tarvola::bench {

namespace {

std::string format(const char* fmt, double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

// Per-run count: whole when every run exchanged the same, with one decimal when retries crept in.
std::string perRun(std::size_t total, int runs)
{
    if (runs <= 0)
        return "0";
    if (total % static_cast<std::size_t>(runs) == 0)
        return std::to_string(total / static_cast<std::size_t>(runs));
    return format("%.1f", static_cast<double>(total) / runs);
}

std::string jsonString(const std::string& s)
{
    std::string out = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string procedureLine(const LineResult& line, int nameWidth)
{
    const int runs = std::max(line.runs, 1);
    char buf[256];
    std::snprintf(buf, sizeof buf, "%-*s %5s %6s %9.2f %9.2f %9.2f %9.2f %9.2f %7.3f %9.0f%s\n", nameWidth,
                  line.name.c_str(), perRun(line.exchanges, runs).c_str(), perRun(line.bytes, runs).c_str(),
                  line.wire() * 1000.0 / runs, line.pauses * 1000.0 / runs, line.elapsed * 1000.0 / runs,
                  line.fastest * 1000.0, line.slowest * 1000.0, line.ratio(), line.overheadPerExchangeUs(),
                  line.failures ? "  FAILED" : "");
    return buf;
}

std::string jsonLine(const LineResult& line)
{
    const int runs = std::max(line.runs, 1);
    return "{\"name\":" + jsonString(line.name) + ",\"runs\":" + std::to_string(line.runs) +
           ",\"failures\":" + std::to_string(line.failures) +
           ",\"exchanges\":" + format("%.6g", static_cast<double>(line.exchanges) / runs) +
           ",\"bytes\":" + format("%.6g", static_cast<double>(line.bytes) / runs) +
           ",\"wire_ms\":" + format("%.4f", line.wire() * 1000.0 / runs) +
           ",\"pause_ms\":" + format("%.4f", line.pauses * 1000.0 / runs) +
           ",\"elapsed_ms\":" + format("%.4f", line.elapsed * 1000.0 / runs) +
           ",\"best_ms\":" + format("%.4f", line.fastest * 1000.0) +
           ",\"worst_ms\":" + format("%.4f", line.slowest * 1000.0) + ",\"ratio\":" + format("%.4f", line.ratio()) +
           ",\"extra_us_per_exchange\":" + format("%.1f", line.overheadPerExchangeUs()) + "}";
}

} // namespace

bool RunInfo::proceduresMet() const
{
    return std::all_of(procedures.begin(), procedures.end(),
                       [this](const LineResult& p) { return p.failures == 0 && p.ratio() <= target; });
}

Summary summarize(const std::vector<LineResult>& lines)
{
    Summary s;
    for (const auto& line : lines) {
        s.elapsed += line.elapsed;
        s.wire += line.wire();
        s.failures += line.failures;
        if (line.bytes && (s.worstName.empty() || line.ratio() > s.worstRatio)) {
            s.worstRatio = line.ratio();
            s.worstName = line.name;
        }
    }
    s.overallRatio = s.wire > 0 ? s.elapsed / s.wire : 0.0;
    return s;
}

void printTable(std::ostream& out, const RunInfo& info, const std::vector<LineResult>& lines, const Summary& s)
{
    out << "Wire efficiency against the paced virtual controller on " << info.terminal << "\n"
        << "38400 baud, 10 bits a byte; " << info.repeat << " run(s) a line, times per run\n"
        << "extra us: time beyond the wire time, per exchange\n";
    char buf[256];
    std::snprintf(buf, sizeof buf, "opening the port (not counted): %.2f ms for %zu bytes, wire %.2f ms\n\n",
                  info.openElapsed * 1000.0, info.openBytes, wireSeconds(info.openBytes) * 1000.0);
    out << buf;
    std::size_t nameWidth = 9;
    for (const auto& line : lines)
        nameWidth = std::max(nameWidth, line.name.size());
    std::snprintf(buf, sizeof buf, "%-*s %5s %6s %9s %9s %9s %9s %7s %9s\n", static_cast<int>(nameWidth),
                  "operation", "exch", "bytes", "wire ms", "mean ms", "best ms", "worst ms", "ratio", "extra us");
    const std::string rule(nameWidth + 72, '-');
    out << buf << rule << "\n";
    for (const auto& line : lines) {
        const int runs = std::max(line.runs, 1);
        std::snprintf(buf, sizeof buf, "%-*s %5s %6s %9.2f %9.2f %9.2f %9.2f %7.3f %9.0f%s\n",
                      static_cast<int>(nameWidth), line.name.c_str(), perRun(line.exchanges, runs).c_str(),
                      perRun(line.bytes, runs).c_str(), line.wire() * 1000.0 / runs,
                      line.elapsed * 1000.0 / runs, line.fastest * 1000.0, line.slowest * 1000.0, line.ratio(),
                      line.overheadPerExchangeUs(), line.failures ? "  FAILED" : "");
        out << buf;
    }
    out << rule << "\n";
    std::snprintf(buf, sizeof buf,
                  "overall ratio %.3f (elapsed %.1f ms / wire %.1f ms), worst line %.3f (%s), target %.2f: %s\n",
                  s.overallRatio, s.elapsed * 1000.0, s.wire * 1000.0, s.worstRatio, s.worstName.c_str(),
                  info.target, s.failures ? "FAILED COMMANDS" : (s.overallRatio <= info.target ? "met" : "MISSED"));
    out << buf;
    const PollingResult& p = info.polling;
    if (p.measured)
        std::snprintf(buf, sizeof buf,
                      "live polling period %.2f ms over %d periods / (pause + poll wire time) %.2f ms = %.3f, target %.2f: %s\n",
                      p.meanPeriod * 1000.0, p.periods, p.expected * 1000.0, p.ratio(), p.target, p.met() ? "met" : "MISSED");
    else
        std::snprintf(buf, sizeof buf, "live polling period: NOT MEASURED (polling gave no samples)\n");
    out << buf;

    if (info.procedures.empty())
        return;
    out << "\nwriting procedures against wire time plus the pauses they prescribe (ratio = mean / (wire + pause))\n";
    std::size_t width = 9;
    for (const auto& line : info.procedures)
        width = std::max(width, line.name.size());
    std::snprintf(buf, sizeof buf, "%-*s %5s %6s %9s %9s %9s %9s %9s %7s %9s\n", static_cast<int>(width),
                  "operation", "exch", "bytes", "wire ms", "pause ms", "mean ms", "best ms", "worst ms", "ratio",
                  "extra us");
    const std::string procedureRule(width + 82, '-');
    out << buf << procedureRule << "\n";
    for (const auto& line : info.procedures)
        out << procedureLine(line, static_cast<int>(width));
    out << procedureRule << "\n";
    std::snprintf(buf, sizeof buf, "each procedure within %.2f: %s\n", info.target,
                  info.proceduresMet() ? "met" : "MISSED");
    out << buf;
}

void printJson(std::ostream& out, const RunInfo& info, const std::vector<LineResult>& lines, const Summary& s)
{
    out << "{\"terminal\":" << jsonString(info.terminal) << ",\"baud\":38400,\"bits_per_byte\":10"
        << ",\"repeat\":" << info.repeat << ",\"target\":" << format("%.3f", info.target)
        << ",\"open\":{\"bytes\":" << info.openBytes << ",\"elapsed_ms\":" << format("%.4f", info.openElapsed * 1000.0)
        << "},\"lines\":[";
    bool first = true;
    for (const auto& line : lines) {
        out << (first ? "" : ",") << jsonLine(line);
        first = false;
    }
    out << "],\"procedures\":[";
    first = true;
    for (const auto& line : info.procedures) {
        out << (first ? "" : ",") << jsonLine(line);
        first = false;
    }
    out << "],\"procedures_met\":" << (info.proceduresMet() ? "true" : "false") << ",\"elapsed_ms\":" << format("%.4f", s.elapsed * 1000.0)
        << ",\"wire_ms\":" << format("%.4f", s.wire * 1000.0)
        << ",\"overall_ratio\":" << format("%.4f", s.overallRatio)
        << ",\"worst\":{\"name\":" << jsonString(s.worstName) << ",\"ratio\":" << format("%.4f", s.worstRatio) << "}"
        << ",\"failures\":" << s.failures
        << ",\"polling\":{\"measured\":" << (info.polling.measured ? "true" : "false")
        << ",\"periods\":" << info.polling.periods
        << ",\"mean_period_ms\":" << format("%.4f", info.polling.meanPeriod * 1000.0)
        << ",\"expected_ms\":" << format("%.4f", info.polling.expected * 1000.0)
        << ",\"ratio\":" << format("%.4f", info.polling.ratio()) << ",\"target\":" << format("%.3f", info.polling.target)
        << ",\"met\":" << (info.polling.met() ? "true" : "false") << "}"
        << ",\"met\":"
        << (s.failures == 0 && s.overallRatio <= info.target && info.polling.met() && info.proceduresMet() ? "true"
                                                                                                          : "false")
        << "}\n";
}

} // namespace tarvola::bench
