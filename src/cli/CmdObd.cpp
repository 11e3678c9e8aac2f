// tarvola-cli obd [--rounds N] [--dtc] [--clear-dtc]: the car behind the controller's OBD gateway:
// the link, protocol and OBD standard, the live parameters after a few exchanges, and the stored
// trouble codes (erased first with --clear-dtc, which asks unless --yes).

#include <charconv>
#include <cmath>
#include <limits>
#include <ostream>

#include "CliCommands.h"
#include "Json.h"
#include "lang/translate.h"
#include "service/COBDSession.h"

namespace tarvola::cli {

namespace {

constexpr int kDefaultRounds = 3;
constexpr int kMaxRounds = 1000;

struct ObdArguments {
    bool listCodes = false;
    bool clearCodes = false;
    bool live = true;
    int rounds = kDefaultRounds;
};

bool parseObdArguments(const std::vector<std::string>& args, ObdArguments& out, std::ostream& err)
{
    bool roundsGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--dtc") {
            out.listCodes = true;
        } else if (a == "--clear-dtc") {
            out.clearCodes = true;
        } else if (a == "--rounds") {
            int n = 0;
            const std::string v = i + 1 < args.size() ? args[++i] : std::string();
            const auto r = std::from_chars(v.data(), v.data() + v.size(), n);
            if (v.empty() || r.ec != std::errc() || r.ptr != v.data() + v.size() || n < 1 || n > kMaxRounds) {
                err << "tarvola-cli: obd --rounds needs a number from 1 to " << kMaxRounds << '\n';
                return false;
            }
            out.rounds = n;
            roundsGiven = true;
        } else {
            err << "tarvola-cli: obd takes only --rounds N, --dtc and --clear-dtc, not " << a << '\n';
            return false;
        }
    }
    // The codes alone are quicker without the live exchanges; --rounds asks for both.
    out.live = roundsGiven || !(out.listCodes || out.clearCodes);
    return true;
}

double numberOf(const std::string& text)
{
    double v = std::numeric_limits<double>::quiet_NaN();
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

} // namespace

int commandObd(CliContext& c)
{
    ObdArguments a;
    if (!parseObdArguments(c.options.arguments, a, c.err))
        return ExitUsage;
    if (const int rc = connectDevice(c); rc != ExitOk)
        return rc;

    COBDSession session(c.device);
    if (!session.open())
        return ExitRefused;

    bool liveAnswered = false;
    if (a.live) {
        bool carSilent = false;
        for (int i = 0; i < a.rounds; ++i) {
            const auto result = session.liveRound();
            liveAnswered = result == COBDSession::LiveResult::Read || liveAnswered;
            carSilent = result == COBDSession::LiveResult::NoAnswer || carSilent;
        }
        if (!liveAnswered) {
            c.err << (carSilent ? "tarvola-cli: the car did not answer the OBD requests (is the controller on the "
                                  "diagnostic connector and the ignition on?)\n"
                                : "tarvola-cli: the controller did not answer the OBD requests\n");
            return ExitRefused;
        }
    }
    if (a.clearCodes) {
        switch (session.eraseTroubleCodes()) {
        case COBDSession::EraseResult::Erased: break;
        case COBDSession::EraseResult::Declined:
            c.err << "tarvola-cli: cancelled (give --yes to confirm)\n";
            return ExitRefused;
        case COBDSession::EraseResult::Failed:
        case COBDSession::EraseResult::NoAnswer: return ExitRefused;
        case COBDSession::EraseResult::NotConfirmed:
            c.err << "tarvola-cli: the car did not confirm the erase\n";
            return ExitRefused;
        }
    }
    const bool codes = a.listCodes || a.clearCodes;
    if (codes && !session.readTroubleCodes())
        return ExitRefused;

    const std::string link = translate(session.obdConnected() ? "Podłączone" : "Rozłączone");
    const std::string standard = translate(session.standard());
    if (c.options.json) {
        JsonObject j;
        j.addBool("connected", session.obdConnected()).add("link", link).add("protocol", session.protocol())
            .add("standard", standard);
        if (a.live) {
            std::vector<std::string> live;
            for (const auto& e : session.live().entries()) {
                if (!e.enabled)
                    continue;
                JsonObject v;
                v.add("pid", std::int64_t{e.request.pid}).add("name", translate(e.name)).add("unit", e.unit)
                    .add("value", numberOf(e.text));
                live.push_back(v.str());
            }
            j.addRaw("live", jsonArray(live));
        }
        if (codes) {
            std::vector<std::string> list;
            for (const auto& text : session.codes())
                list.push_back(jsonEscape(text));
            j.addBool("cleared", a.clearCodes).addRaw("codes", jsonArray(list));
        }
        c.out << j.str() << "\n";
        return ExitOk;
    }

    c.out << "OBD link: " << link << '\n' << "Protocol: " << session.protocol() << '\n'
          << "OBD standard: " << (standard.empty() ? "-" : standard) << '\n';
    if (a.live) {
        for (const auto& e : session.live().entries()) {
            if (e.enabled)
                c.out << translate(e.name) << ": " << (e.text.empty() ? "-" : e.text) << ' ' << e.unit << '\n';
        }
    }
    if (a.clearCodes)
        c.out << "Trouble codes erased.\n";
    if (codes) {
        if (session.codes().empty())
            c.out << "No trouble codes.\n";
        for (const auto& text : session.codes())
            c.out << text << '\n';
    }
    return ExitOk;
}

} // namespace tarvola::cli
