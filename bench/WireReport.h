#pragma once
// Results of the wire-efficiency run and their two presentations: a table for people, one JSON
// object for scripts.

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

namespace tarvola::bench {

// 38400 baud, 8N1: ten bits a byte.
constexpr double kBaud = 38400.0;
constexpr double kBitsPerByte = 10.0;

constexpr double wireSeconds(std::size_t bytes)
{
    return static_cast<double>(bytes) * kBitsPerByte / kBaud;
}

// One measured operation, summed over its repeats.
struct LineResult {
    std::string name;
    int runs = 0;
    int failures = 0;           // runs whose command reported failure
    std::size_t exchanges = 0;  // request frames sent, all runs
    std::size_t bytes = 0;      // bytes sent and received, all runs
    double elapsed = 0.0;       // seconds, all runs
    double fastest = 0.0;       // seconds, best single run
    double slowest = 0.0;       // seconds, worst single run
    double pauses = 0.0;        // seconds the operation prescribes waiting, all runs (0 for reads)

    double wire() const { return wireSeconds(bytes); }
    // The least time the operation can take: its bytes on the wire and its own pauses.
    double expected() const { return wire() + pauses; }
    double ratio() const { return bytes ? elapsed / expected() : 0.0; }
    // What each exchange costs beyond its bytes' wire time (and the pauses), in microseconds.
    double overheadPerExchangeUs() const
    {
        return exchanges ? (elapsed - expected()) * 1e6 / static_cast<double>(exchanges) : 0.0;
    }
};

struct Summary {
    double elapsed = 0.0;
    double wire = 0.0;
    double overallRatio = 0.0;
    double worstRatio = 0.0;
    std::string worstName;
    int failures = 0;
};

Summary summarize(const std::vector<LineResult>& lines);

// The live polling thread's period against its pause plus the poll exchange's wire time.
struct PollingResult {
    bool measured = false;
    int periods = 0;
    double meanPeriod = 0.0;  // seconds between successive samples
    double expected = 0.0;    // pause + wire time of one poll exchange
    double target = 1.05;
    double ratio() const { return expected > 0 ? meanPeriod / expected : 0.0; }
    bool met() const { return measured && ratio() <= target; }
};

struct RunInfo {
    std::string terminal;
    int repeat = 0;
    double target = 0.0;
    // Opening the port (link check and identity), shown but not counted: it carries one-off costs.
    std::size_t openBytes = 0;
    double openElapsed = 0.0;
    PollingResult polling;
    // The writing procedures, each held against the target on its own (empty when skipped).
    std::vector<LineResult> procedures;
    // True when every procedure ran without failure within the target.
    bool proceduresMet() const;
};

void printTable(std::ostream& out, const RunInfo& info, const std::vector<LineResult>& lines, const Summary& s);
void printJson(std::ostream& out, const RunInfo& info, const std::vector<LineResult>& lines, const Summary& s);

} // namespace tarvola::bench
