#pragma once
// The link timing the end-to-end tests use: the documented constants shortened so that failure paths
// (time-outs, pauses, the petrol wait) finish in milliseconds. Production code never shortens them.

#include "link/LinkTiming.h"

namespace tarvola::test {

inline LinkTiming quickTiming()
{
    LinkTiming t;
    t.readTimeoutConstantMs = 250;
    t.shortReplyPauseMs = 10;
    t.switchPauseMs = 20;
    t.petrolPollPauseMs = 10;
    t.petrolUnboundedWaitMs = 600;
    t.demoPetrolWaitMs = 10;
    t.demoPollPauseMs = 1;
    return t;
}

} // namespace tarvola::test
