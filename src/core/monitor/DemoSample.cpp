// The simulated live sample of demo mode.

#include "link/CLPGDevice.h"
#include "platform/Clock.h"

namespace tarvola {

int CLPGDevice::demoPoll(DiagPayload& sample)
{
    sleepMs(m_timing.demoPollPauseMs);
    sample.fill(0);
    sample[0] = m_demoWorkMode;
    return PollRead;
}

} // namespace tarvola
