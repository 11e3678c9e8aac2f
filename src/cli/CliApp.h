#pragma once
// tarvola-cli as a function, so tests can run it in-process as well as through the binary.

#include <iosfwd>
#include <string>
#include <vector>

namespace tarvola::cli {

// Runs the tool with `args` (without the program name); returns its exit code.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace tarvola::cli
