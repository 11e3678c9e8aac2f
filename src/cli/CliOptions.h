#pragma once
// The command line of tarvola-cli: global options, then one command and its arguments.

#include <optional>
#include <string>
#include <vector>

namespace tarvola::cli {

struct CliOptions {
    std::optional<std::string> port; // use exactly this port, no search
    bool demo = false;
    bool json = false;
    std::optional<std::string> traceFile;
    std::optional<bool> answer;      // --yes / --no for the questions the tool asks
    bool help = false;
    bool version = false;            // --version: print the program version and stop
    std::optional<int> language;     // --lang ID: 0 Polish ... 12 Thai; else from the locale
    std::string command;
    std::vector<std::string> arguments;
};

// Exit codes of the tool.
enum ExitCode : int { ExitOk = 0, ExitRefused = 1, ExitUsage = 2, ExitNoController = 3 };

// Parses argv; on a usage error returns nothing and sets `error`.
std::optional<CliOptions> parseCliOptions(const std::vector<std::string>& args, std::string& error);

} // namespace tarvola::cli
