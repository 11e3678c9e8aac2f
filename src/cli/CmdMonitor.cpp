// tarvola-cli monitor [--count N] [--record FILE.osc]: live samples as a table or JSON lines, and
// optionally a recording of them. Ctrl+C ends it cleanly: polling stops and the recording is closed.

#include <charconv>
#include <cstdio>
#include <ostream>

#include "CliCommands.h"
#include "platform/NumberText.h"
#include "Interrupt.h"
#include "Json.h"
#include "monitor/CDiagFile.h"
#include "monitor/DiagValues.h"
#include "platform/Clock.h"
#include "settings/Conversions.h"

namespace tarvola::cli {

namespace {
void printHeader(std::ostream& out, int cylinders)
{
    out << "   seq mode   rpm";
    for (int i = 1; i <= cylinders; ++i)
        out << "  pet" << i << "  gas" << i;
    out << "   gas kPa  map kPa  red C  gas C  supply V  lambda V\n";
}

void printRow(std::ostream& out, const CDiag& s, const DiagValues& v, const std::array<CylinderTimes, 8>& t,
              int cylinders)
{
    char line[512];
    int n = std::snprintf(line, sizeof line, "%6u %-4s %5.0f", s.sequence(), v.workMode == 3 ? "gas" : "pet",
                          shownRpm(v.rpm));
    for (int i = 0; i < cylinders && n < 400; ++i)
        n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), " %5.1f %5.1f",
                           t[static_cast<std::size_t>(i)].petrolMs, t[static_cast<std::size_t>(i)].gasMs);
    std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), " %9.0f %8.0f %6.0f %6.0f %9.1f %9.2f",
                  v.gasPressureKPa, shownManifoldKPa(v.manifoldKPa), v.reducerTempC, v.gasTempC, v.supplyVolts,
                  v.lambda1Volts);
    out << line << '\n';
}

std::string jsonRow(const CDiag& s, const DiagValues& v, const std::array<CylinderTimes, 8>& t, int cylinders)
{
    JsonObject j;
    j.add("seq", static_cast<std::int64_t>(s.sequence()))
        .add("mode", static_cast<std::int64_t>(v.workMode))
        .add("rpm", roundHalfAway(shownRpm(v.rpm)))
        .add("gasPressureKPa", roundHalfAway(v.gasPressureKPa, 1))
        .add("manifoldKPa", roundHalfAway(v.manifoldKPa, 1))
        .add("reducerTempC", v.reducerTempC)
        .add("gasTempC", v.gasTempC)
        .add("supplyVolts", roundHalfAway(v.supplyVolts, 2))
        .add("lambda1Volts", roundHalfAway(v.lambda1Volts, 2))
        .add("lambda2Volts", roundHalfAway(v.lambda2Volts, 2))
        .add("activeInjectors", static_cast<std::int64_t>(v.activeInjectors))
        .add("fuelLevel", static_cast<std::int64_t>(v.fuelLevel));
    std::vector<std::string> petrol, gas;
    for (int i = 0; i < cylinders; ++i) {
        petrol.push_back(fixedText(t[static_cast<std::size_t>(i)].petrolMs, 2));
        gas.push_back(fixedText(t[static_cast<std::size_t>(i)].gasMs, 2));
    }
    return j.addRaw("petrolMs", jsonArray(petrol)).addRaw("gasMs", jsonArray(gas)).str();
}
} // namespace

int commandMonitor(CliContext& c)
{
    const auto& args = c.options.arguments;
    long count = -1;
    std::string record;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--count" && i + 1 < args.size()) {
            const std::string& v = args[++i];
            const auto r = std::from_chars(v.data(), v.data() + v.size(), count);
            if (r.ec != std::errc() || r.ptr != v.data() + v.size() || count < 1) {
                c.err << "tarvola-cli: --count needs a whole number of at least 1\n";
                return ExitUsage;
            }
        } else if (args[i] == "--record" && i + 1 < args.size()) {
            record = args[++i];
        } else {
            c.err << "tarvola-cli: monitor takes --count N and --record FILE.osc\n";
            return ExitUsage;
        }
    }
    if (!record.empty()) {
        // A recording that cannot be written would otherwise be skipped without a word.
        CDiagFile probe;
        if (!probe.open(record, CDiagFile::Mode::Write)) {
            c.err << "tarvola-cli: cannot write the recording " << record << '\n';
            return ExitUsage;
        }
    }
    if (const int rc = connectDevice(c); rc != ExitOk)
        return rc;
    if (!c.device.diagnosticsAllowed()) {
        c.err << "tarvola-cli: the controller does not allow live diagnostics\n";
        return ExitRefused;
    }

    InterruptScope interrupts;
    if (!c.device.startDiagnostics(record)) {
        c.err << "tarvola-cli: live polling could not start\n";
        return ExitRefused;
    }
    const DiagContext context = c.device.diagData().context();
    const int cylinders = std::clamp(context.injectorCount, 1, 8);
    if (!c.options.json)
        printHeader(c.out, cylinders);

    long shown = 0;
    std::uint32_t lastSeq = 0;
    int rc = ExitOk;
    while (!interrupted() && (count < 0 || shown < count)) {
        if (!c.device.isConnected()) {
            c.err << "tarvola-cli: the controller stopped answering\n";
            rc = ExitRefused;
            break;
        }
        CDiag sample;
        if (c.device.diagData().newest(sample) && sample.sequence() != lastSeq) {
            lastSeq = sample.sequence();
            const DiagValues v = diagValues(sample, context);
            const auto times = shownCylinderTimes(sample, context);
            if (c.options.json)
                c.out << jsonRow(sample, v, times, cylinders) << '\n';
            else
                printRow(c.out, sample, v, times, cylinders);
            c.out.flush();
            ++shown;
        }
        sleepMs(10);
    }
    // Stopping closes the recording with every sample written so far.
    c.device.stopDiagnostics();
    return rc;
}

} // namespace tarvola::cli
