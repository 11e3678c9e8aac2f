#include "Interrupt.h"

#include <atomic>

namespace tarvola::cli {

namespace {
std::atomic<bool> g_interrupted{false};

extern "C" void onInterrupt(int)
{
    g_interrupted = true;
}
} // namespace

InterruptScope::InterruptScope()
{
    g_interrupted = false;
    struct sigaction sa{};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, &m_oldInt);
    ::sigaction(SIGTERM, &sa, &m_oldTerm);
}

InterruptScope::~InterruptScope()
{
    ::sigaction(SIGINT, &m_oldInt, nullptr);
    ::sigaction(SIGTERM, &m_oldTerm, nullptr);
}

bool interrupted()
{
    return g_interrupted;
}

} // namespace tarvola::cli
