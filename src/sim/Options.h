// Command line of tarvola-sim.
#pragma once

#include <string>
#include <vector>

#include "SimOptions.h"

namespace tarvola::sim {

struct CommandLine {
    SimOptions sim;
    std::string linkPath;  // empty: no symbolic link
    bool help = false;
    bool version = false;  // --version: print the program version and stop
};

// Parses the arguments after the program name. Returns false with a one-line reason in `error`
// for an unknown option, a missing or malformed value, or a value out of range.
bool parseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error);

const char* usageText();

}  // namespace tarvola::sim
