#pragma once
// Ctrl+C and termination for commands that run until stopped: while an InterruptScope lives, the
// signals only raise a flag the command polls, so it can end cleanly (polling stopped, files
// closed, the car back on petrol). The previous handlers come back on every way out.

#include <csignal>

namespace tarvola::cli {

class InterruptScope {
public:
    InterruptScope();
    ~InterruptScope();
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

private:
    struct sigaction m_oldInt{}, m_oldTerm{};
};

// True once Ctrl+C or a termination signal arrived inside the current scope.
bool interrupted();

} // namespace tarvola::cli
