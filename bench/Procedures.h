#pragma once
// The writing procedures the benchmark times: a complete settings write and a firmware image. Unlike
// the reading commands they wait on purpose (switch pauses, the petrol step's polls, the programming
// pauses), so each is held against its wire time plus the pauses it prescribes.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "WireCounter.h"
#include "device/CLPGDevice.h"

namespace tarvola::bench {

struct Procedure {
    std::string name;
    // Runs the procedure once; false when it failed.
    std::function<bool(CLPGDevice&)> run;
    // The pauses it prescribes, in seconds, from what it sent in one run.
    std::function<double(const WireCounter&, const LinkTiming&)> pauses;
    // Takes tens of seconds at the wire's pace: run --slow-runs times, without a warm-up.
    bool slow = false;
};

// The pauses of the work-mode switches (one before every attempt) and of the petrol step (one after
// every poll). Only right while no polling thread runs: its polls would count as the petrol step's.
double switchAndPetrolPauses(const WireCounter& counter, const LinkTiming& timing);

// `settingsFile` is the settings file the complete write loads; best one saved from the controller
// itself, so that the runs change nothing.
std::vector<Procedure> makeProcedures(const std::string& settingsFile);

} // namespace tarvola::bench
