// tarvola-cli calibrate: the autocalibration, its questions answered by --yes / --no, each pass and
// the result printed. tarvola-cli multiplier [--write]: the point maps, their fill levels and the
// multiplier line they call for, and writing it.

#include <cstdio>
#include <ostream>

#include "CliCommands.h"
#include "platform/NumberText.h"
#include "Interrupt.h"
#include "Json.h"
#include "calibration/CAutoCalibration.h"
#include "lang/translate.h"
#include "platform/Clock.h"
#include "settings/Conversions.h"

namespace tarvola::cli {

namespace {

std::string signedPercent(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%+.0f %%", v);
    return text;
}

// Prints the run as it goes (text mode only; --json prints the result at the end).
class PrintingView : public ICalibrationView {
public:
    PrintingView(std::ostream& out, bool quiet) : m_out(out), m_quiet(quiet) {}
    void pressureMeasured(double kPa) override
    {
        if (m_quiet)
            return;
        m_out << "Gas pressure: " << fixedText(kPa, 0) << " kPa (pressure reference and switch pressure set from it)\n";
        m_out.flush();
    }
    void passMeasured(const CalibrationPass& p) override
    {
        if (m_quiet)
            return;
        m_out << "Pass " << p.index + 1 << ": petrol " << fixedText(p.petrolMs, 2) << " ms, on gas " << fixedText(p.gasMs, 2)
              << " ms, difference " << fixedText(p.differenceMs, 2) << " ms\n";
        m_out.flush();
    }
    void progressChanged(int percent) override
    {
        // A line every tenth of the way, so a long run shows it is alive.
        if (m_quiet || percent / 10 == m_lastTenth || percent == 0)
            return;
        m_lastTenth = percent / 10;
        m_out << "Progress: " << percent << " %\n";
        m_out.flush();
    }

private:
    std::ostream& m_out;
    bool m_quiet;
    int m_lastTenth = 0;
};

const char* outcomeName(CalibrationOutcome o)
{
    switch (o) {
    case CalibrationOutcome::NotStarted: return "not-started";
    case CalibrationOutcome::Succeeded: return "succeeded";
    case CalibrationOutcome::Failed: return "failed";
    case CalibrationOutcome::Stopped: return "stopped";
    }
    return "failed";
}

// The live samples the autocalibration needs: polling started and the first sample in.
bool startLiveSamples(CliContext& c)
{
    if (!c.device.diagnosticsAllowed()) {
        c.err << "tarvola-cli: the controller does not allow live diagnostics\n";
        return false;
    }
    if (!c.device.startDiagnostics()) {
        c.err << "tarvola-cli: live polling could not start\n";
        return false;
    }
    const auto since = SteadyClock::now();
    CDiag sample;
    while (!c.device.diagData().newest(sample) && elapsedMs(since) < 3000 && c.device.pollingOn())
        sleepMs(10);
    return true;
}

} // namespace

int commandCalibrate(CliContext& c)
{
    if (!c.options.arguments.empty()) {
        c.err << "tarvola-cli: calibrate takes no arguments\n";
        return ExitUsage;
    }
    if (const int rc = connectDevice(c); rc != ExitOk)
        return rc;
    InterruptScope interrupts;
    if (!startLiveSamples(c))
        return ExitRefused;

    CMultiplierCalibration page(c.device);
    PrintingView view(c.out, c.options.json);
    page.setView(&view);
    CAutoCalibration calibration(page);
    c.prompt.setPump([&calibration] {
        if (interrupted())
            calibration.stop();
    });
    const CalibrationResult result = calibration.start();
    c.prompt.setPump({});
    c.device.stopDiagnostics();

    if (c.options.json) {
        JsonObject j;
        j.add("outcome", outcomeName(result.outcome));
        if (result.outcome == CalibrationOutcome::Succeeded)
            j.add("correctionMs", roundHalfAway(result.correctionMs, 2));
        if (result.pressureKPa > 0)
            j.add("gasPressureKPa", result.pressureKPa);
        if (!result.failure.empty())
            j.add("failure", translate(result.failure));
        if (result.engineStopped)
            j.addBool("engineStopped", true);
        std::vector<std::string> passes;
        for (const CalibrationPass& p : result.passes) {
            JsonObject pj;
            pj.add("petrolMs", p.petrolMs).add("gasMs", p.gasMs).add("differenceMs", roundHalfAway(p.differenceMs, 2));
            passes.push_back(pj.str());
        }
        c.out << j.addRaw("passes", jsonArray(passes)).str() << '\n';
    } else {
        switch (result.outcome) {
        case CalibrationOutcome::Succeeded:
            c.out << "Main correction: " << fixedText(result.correctionMs, 2) << " ms on every cylinder\n";
            break;
        case CalibrationOutcome::Stopped: c.out << "Autocalibration stopped; the car is back on petrol\n"; break;
        case CalibrationOutcome::Failed:
            c.out << "Autocalibration failed"
                  << (result.engineStopped ? ": the engine stopped" : "")
                  << "; the car is back on petrol and the emulator delay restored\n";
            break;
        case CalibrationOutcome::NotStarted: c.out << "Autocalibration not started\n"; break;
        }
    }
    return result.outcome == CalibrationOutcome::Succeeded ? ExitOk : ExitRefused;
}

int commandMultiplier(CliContext& c)
{
    bool write = false;
    for (const auto& a : c.options.arguments) {
        if (a == "--write") {
            write = true;
        } else {
            c.err << "tarvola-cli: multiplier takes only --write\n";
            return ExitUsage;
        }
    }
    if (const int rc = connectDevice(c); rc != ExitOk)
        return rc;
    CMultiplierCalibration page(c.device);
    if (!page.readMaps()) {
        c.err << "tarvola-cli: the point maps could not be read\n";
        return ExitRefused;
    }
    const SortedPointMaps& maps = page.maps();
    const LineProposal proposal = page.proposal();
    const MultiplierLine before = page.line();
    const MultiplierLine after = applyProposal(before, proposal);

    JsonObject json;
    if (c.options.json) {
        json.add("petrolFillPercent", roundHalfAway(maps.petrolFill)).add("gasFillPercent", roundHalfAway(maps.gasFill));
        std::vector<std::string> cells;
        for (int k = 0; k < kPressureCells; ++k) {
            const PressureCell& p = maps.petrol[static_cast<std::size_t>(k)];
            const PressureCell& g = maps.gas[static_cast<std::size_t>(k)];
            if (!p.count() && !g.count())
                continue;
            JsonObject cj;
            cj.add("kPa", static_cast<std::int64_t>(2 * k))
                .add("petrolMs", roundHalfAway(p.trustedAverage(), 2))
                .add("gasMs", roundHalfAway(g.trustedAverage(), 2));
            cells.push_back(cj.str());
        }
        std::vector<std::string> line, proposed;
        for (std::size_t b = 0; b < kSetupTimesCount; ++b) {
            line.push_back(fixedText(before[b], 0));
            proposed.push_back(fixedText(after[b], 0));
        }
        json.addRaw("cells", jsonArray(cells)).addRaw("line", jsonArray(line)).addRaw("proposed", jsonArray(proposed));
    } else {
        c.out << "Petrol map: " << page.petrolFillText() << " full\n"
              << "Gas map: " << page.gasFillText() << " full\n"
              << "Pressure cells (average petrol injection time of the trusted samples):\n"
              << "   kPa  on petrol  on gas\n";
        for (int k = 0; k < kPressureCells; ++k) {
            const PressureCell& p = maps.petrol[static_cast<std::size_t>(k)];
            const PressureCell& g = maps.gas[static_cast<std::size_t>(k)];
            if (!p.count() && !g.count())
                continue;
            char row[96];
            std::snprintf(row, sizeof row, "  %4d  %6.2f ms  %6.2f ms\n", 2 * k, p.trustedAverage(), g.trustedAverage());
            c.out << row;
        }
        c.out << "Multiplier line (petrol time, now, change, proposed):\n";
        for (std::size_t b = 0; b < kSetupTimesCount; ++b) {
            char row[96];
            std::snprintf(row, sizeof row, "  %2zu-%2zu ms  %7s  %7s  %7s\n", b, b + 1,
                          signedPercent(before[b]).c_str(), signedPercent(proposal.change[b]).c_str(),
                          signedPercent(after[b]).c_str());
            c.out << row;
        }
    }

    int rc = ExitOk;
    if (write) {
        bool written = page.createLine();
        if (!written && page.lineWriteTimer().running()) {
            // The page retries a failed write once, when its timer runs out.
            while (page.lineWriteTimer().running() && !written) {
                sleepMs(50);
                written = page.tick();
            }
        }
        if (!written) {
            c.err << "tarvola-cli: the multiplier line could not be written\n";
            rc = ExitRefused;
        } else if (!c.options.json) {
            c.out << "Multiplier line written\n";
        }
    }
    if (c.options.json) {
        if (write)
            json.addBool("written", rc == ExitOk);
        c.out << json.str() << '\n';
    }
    return rc;
}

} // namespace tarvola::cli
