#pragma once
// Starting and stopping the live polling thread (CLPGDevice::startDiagnostics / stopDiagnostics
// are implemented with these) and the program's one thread manager that runs it.
//
// The thread objects are kept here, one per sample buffer, from their start until the manager has
// reaped them; only then are they deleted (the manager never deletes a thread).

#include <chrono>

#include "msglib/CThreadManager.h"

namespace tarvola {

class CDiagData;

// The program's one thread manager: created on first use, it lives until the program ends (its
// destruction then waits for any thread still running, which a stopped device never leaves).
CLPGThreadManager& lpgThreadManager();

// Ends the polling thread that feeds `buffer`, if any: clears its polling-on flag and waits, for as
// long as it takes, until the thread has finished its exchange and been reaped. For the buffer's
// destructor; does nothing when called from that polling thread itself.
void endPollingInto(const CDiagData* buffer) noexcept;

} // namespace tarvola
