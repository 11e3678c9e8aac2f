// tarvola-bench: how close the controller link comes to the wire's own speed.
//
// Starts the virtual controller with 38400-baud pacing, opens its terminal like a serial port and
// times each reading command (and the whole-configuration read) against the wire time of the bytes
// it exchanged, and the writing procedures (a complete settings write, a firmware image) against
// their wire time plus the pauses they prescribe. Exit status: 0 when the overall ratio is within the target, 1 when above it or when a
// command failed, 2 on a usage or start-up error.

#include <array>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "Procedures.h"
#include "SimProcess.h"
#include "WireCounter.h"
#include "WireReport.h"
#include "errors/IError.h"
#include "device/CLPGDevice.h"
#include "link/LinkTiming.h"
#include "maps/MapBlock.h"
#include "maps/PointMap.h"
#include "platform/AppConfig.h"
#include "platform/IUserPrompt.h"
#include "settings/CSettingsFile.h"

#ifndef TARVOLA_SIM_BIN
#define TARVOLA_SIM_BIN "tarvola-sim"
#endif

namespace {

using namespace tarvola;
using namespace tarvola::bench;

constexpr int kExitMet = 0;
constexpr int kExitMissed = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "Usage: tarvola-bench [options]\n"
    "Times the controller link against the paced virtual controller and compares each reading\n"
    "command with the wire time of the bytes it exchanged (38400 baud, 10 bits a byte).\n"
    "\n"
    "  --repeat R     runs per line (default 5)\n"
    "  --warmup N     untimed runs of every line before measuring (default 1)\n"
    "  --slow-runs N  runs of the firmware image, about 25 s each (default 1, 0 leaves it out)\n"
    "  --target X     highest acceptable ratio elapsed / wire time, overall for the reading\n"
    "                 commands and for each writing procedure (wire time plus its pauses)\n"
    "                 (default 1.15)\n"
    "  --sim PATH     virtual controller binary (default " TARVOLA_SIM_BIN ")\n"
    "  --json         print one JSON object instead of the table\n"
    "  --help         show this text\n"
    "\n"
    "Exit status: 0 target met, 1 target missed or a command failed, 2 usage or start-up error.\n";

struct Options {
    int repeat = 5;
    int warmup = 1;
    int slowRuns = 1;
    double target = 1.15;
    std::string sim = TARVOLA_SIM_BIN;
    bool json = false;
    bool help = false;
};

bool parseNumber(const std::string& text, double& out)
{
    try {
        std::size_t used = 0;
        out = std::stod(text, &used);
        return used == text.size();
    } catch (const std::exception&) {
        return false;
    }
}

bool parseOptions(int argc, char** argv, Options& o, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string v;
        double d = 0;
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--json") {
            o.json = true;
        } else if (arg == "--sim") {
            if (!value(o.sim))
                return false;
        } else if (arg == "--repeat" || arg == "--warmup" || arg == "--slow-runs") {
            if (!value(v))
                return false;
            const int least = arg == "--repeat" ? 1 : 0;
            if (!parseNumber(v, d) || d != static_cast<int>(d) || d < least || d > 100000) {
                error = arg + " wants a whole number of at least " + std::to_string(least) + ", not '" + v + "'";
                return false;
            }
            (arg == "--repeat" ? o.repeat : arg == "--warmup" ? o.warmup : o.slowRuns) = static_cast<int>(d);
        } else if (arg == "--target") {
            if (!value(v))
                return false;
            if (!parseNumber(v, d) || !(d > 0)) {
                error = "--target wants a positive number, not '" + v + "'";
                return false;
            }
            o.target = d;
        } else {
            error = "unknown option '" + arg + "'";
            return false;
        }
    }
    return true;
}

struct Case {
    std::string name;
    std::function<bool(CLPGDevice&)> run;
};

bool readBlock(CLPGDevice& d, SettingsBlock block)
{
    std::array<std::uint8_t, 64> out{};
    return d.readSettingsBlock(block, out);
}

std::vector<Case> makeCases()
{
    std::vector<Case> cases;
    cases.push_back({"link check", [](CLPGDevice& d) { return d.checkLink(); }});
    cases.push_back({"identity", [](CLPGDevice& d) { return d.readIdentity(); }});
    cases.push_back({"statistics", [](CLPGDevice& d) { return d.readStatistics(); }});
    const std::pair<const char*, SettingsBlock> blocks[] = {
        {"block base", SettingsBlock::Base},
        {"block adv", SettingsBlock::Adv},
        {"block advanced setup", SettingsBlock::AdvancedSetup},
        {"block main corrections", SettingsBlock::MainCorr},
        {"block setup times", SettingsBlock::SetupTimes},
        {"block sensor setup", SettingsBlock::SensorsSetup},
        {"block OBD connection", SettingsBlock::ObdConnection},
        {"block OBD correction", SettingsBlock::ObdCorrection},
    };
    for (const auto& [name, block] : blocks)
        cases.push_back({name, [block](CLPGDevice& d) { return readBlock(d, block); }});
    cases.push_back({"error flags", [](CLPGDevice& d) {
                         std::array<std::uint8_t, 4> flags{};
                         return d.readErrorFlags(flags);
                     }});
    cases.push_back({"map block (9 pieces)", [](CLPGDevice& d) {
                         MapBlock map{};
                         return d.readMapBlock(map);
                     }});
    cases.push_back({"petrol point map", [](CLPGDevice& d) {
                         CPointMap map;
                         return d.readPetrolMap(map);
                     }});
    cases.push_back({"gas point map", [](CLPGDevice& d) {
                         CPointMap map;
                         return d.readGasMap(map);
                     }});
    cases.push_back({"live poll", [](CLPGDevice& d) {
                         DiagPayload sample{};
                         return d.pollDiagnostics(sample) == PollStatus::Read;
                     }});
    // What the program does when it connects: link check, identity, every block into the record in
    // its order, the map.
    cases.push_back({"whole-configuration read", [](CLPGDevice& d) {
                         return d.initialRead() && d.unreadBlocks().empty();
                     }});
    return cases;
}

// Lets the polling thread run and times the gaps between the samples it stores.
PollingResult measurePolling(CLPGDevice& device, int periods)
{
    using Clock = std::chrono::steady_clock;
    PollingResult result;
    // One poll exchange: a 12-byte request and the 88-byte live-sample reply.
    result.expected = device.timing().pollPauseMs / 1000.0 + wireSeconds(12 + 88);
    if (!device.startDiagnostics())
        return result;
    std::uint32_t lastSeq = 0;
    Clock::time_point first{}, last{};
    int seen = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(5 + periods);
    while (seen <= periods && Clock::now() < deadline) {
        CDiag sample;
        if (device.diagData().newest(sample) && sample.sequence() != lastSeq) {
            lastSeq = sample.sequence();
            last = Clock::now();
            if (seen++ == 0)
                first = last;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    device.stopDiagnostics();
    if (seen >= 2) {
        result.measured = true;
        result.periods = seen - 1;
        result.meanPeriod = std::chrono::duration<double>(last - first).count() / result.periods;
    }
    return result;
}

// Times `repeat` runs of `c`; with `pauses`, each run's prescribed pauses count as expected time.
LineResult measure(CLPGDevice& device, WireCounter& counter, const Case& c, int repeat,
                   const std::function<double(const WireCounter&, const LinkTiming&)>& pauses = {})
{
    using Clock = std::chrono::steady_clock;
    LineResult line;
    line.name = c.name;
    for (int i = 0; i < repeat; ++i) {
        counter.reset();
        const auto begin = Clock::now();
        const bool ok = c.run(device);
        const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
        ++line.runs;
        line.failures += ok ? 0 : 1;
        line.exchanges += counter.exchanges;
        line.bytes += counter.bytes;
        line.pauses += pauses ? pauses(counter, device.timing()) : 0.0;
        line.elapsed += seconds;
        line.fastest = i == 0 ? seconds : std::min(line.fastest, seconds);
        line.slowest = std::max(line.slowest, seconds);
    }
    return line;
}

// The child is stopped by SimProcess on every ordinary way out; an interrupt takes it along too.
volatile std::sig_atomic_t g_childPid = 0;

extern "C" void onStopSignal(int signal)
{
    if (g_childPid > 0)
        ::kill(static_cast<pid_t>(g_childPid), SIGTERM);
    ::_exit(128 + signal);
}

// A private config file, so the port the benchmark opens is not remembered as the user's.
class TempConfigDir {
public:
    TempConfigDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvola-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            m_dir = pattern;
    }
    ~TempConfigDir() { remove(); }
    void remove()
    {
        std::error_code ec;
        if (!m_dir.empty())
            std::filesystem::remove_all(m_dir, ec);
        m_dir.clear();
    }
    TempConfigDir(const TempConfigDir&) = delete;
    TempConfigDir& operator=(const TempConfigDir&) = delete;
    bool ok() const { return !m_dir.empty(); }
    std::string configFile() const { return file("TARVOLA.conf"); }
    std::string file(const std::string& name) const { return m_dir + "/" + name; }

private:
    std::string m_dir;
};

int run(const Options& options)
{
    TempConfigDir configDir;
    if (!configDir.ok()) {
        std::cerr << "tarvola-bench: cannot create a temporary folder\n";
        return kExitUsage;
    }

    SimProcess sim;
    std::string error;
    const std::string terminal = sim.start(options.sim, {"--pace"}, 10000, error);
    if (terminal.empty()) {
        std::cerr << "tarvola-bench: " << options.sim << ": " << error << "\n";
        return kExitUsage;
    }
    g_childPid = sim.pid();
    // Forget the pid before the child is reaped, so an interrupt never signals a recycled one.
    struct ForgetChild {
        ~ForgetChild() { g_childPid = 0; }
    } forgetChild;

    CSilentPrompt prompt;
    CLPGDevice device(prompt, LinkTiming::standard(), AppConfig(configDir.configFile()));
    WireCounter counter;
    device.setFrameObserver(&counter);
    const auto openBegin = std::chrono::steady_clock::now();
    const bool opened = device.openPort(terminal);
    const double openElapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - openBegin).count();
    const std::size_t openBytes = counter.bytes;
    if (!opened) {
        std::cerr << "tarvola-bench: no controller answered on " << terminal << "\n";
        return kExitUsage;
    }
    // Only opening the port writes the config; an interrupt later on leaves nothing behind.
    configDir.remove();

    const auto cases = makeCases();
    for (int i = 0; i < options.warmup; ++i) {
        for (const auto& c : cases)
            c.run(device);
    }
    std::vector<LineResult> lines;
    for (const auto& c : cases)
        lines.push_back(measure(device, counter, c, options.repeat));
    device.setFrameObserver(nullptr);
    const PollingResult polling = measurePolling(device, 10 * options.repeat);

    // The settings write loads a file saved from the controller itself, so the runs change nothing.
    TempConfigDir workDir;
    const std::string settingsFile = workDir.file("bench.xset");
    if (!workDir.ok() || !writeSettingsRecord(settingsFile, device.m_settings)) {
        std::cerr << "tarvola-bench: cannot write a settings file in a temporary folder\n";
        return kExitUsage;
    }
    std::vector<LineResult> procedures;
    device.setFrameObserver(&counter);
    for (const auto& p : makeProcedures(settingsFile)) {
        const int runs = p.slow ? options.slowRuns : options.repeat;
        if (runs == 0)
            continue;
        for (int i = 0; i < (p.slow ? 0 : options.warmup); ++i)
            p.run(device);
        procedures.push_back(measure(device, counter, Case{p.name, p.run}, runs, p.pauses));
    }
    device.setFrameObserver(nullptr);

    const Summary summary = summarize(lines);
    const RunInfo info{terminal, options.repeat, options.target, openBytes, openElapsed, polling, std::move(procedures)};
    if (options.json)
        printJson(std::cout, info, lines, summary);
    else
        printTable(std::cout, info, lines, summary);
    return summary.failures == 0 && summary.overallRatio <= options.target && polling.met() && info.proceduresMet()
               ? kExitMet
               : kExitMissed;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::cerr << "tarvola-bench: " << error << "\nTry 'tarvola-bench --help'.\n";
        return kExitUsage;
    }
    if (options.help) {
        std::cout << kUsage;
        return kExitMet;
    }
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
    std::signal(SIGHUP, onStopSignal);
    try {
        return run(options);
    } catch (const std::exception& e) {
        // Port errors end the run: the controller went away mid-measurement.
        std::cerr << "tarvola-bench: " << e.what() << "\n";
        return kExitUsage;
    }
}
