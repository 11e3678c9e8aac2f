#pragma once
// Every time constant and attempt count of the controller link, in one record.
//
// The defaults are the controller's documented values; production code never changes them. Tests
// shorten them so a suite that exercises retries and time-outs stays fast.

#include <cstdint>

namespace tarvola {

struct LinkTiming {
    // Serial read time-out: a read of n bytes returns after at most n * perByte + constant ms.
    std::uint32_t readTimeoutConstantMs = 1000;
    std::uint32_t readTimeoutPerByteMs = 1;
    // Pause before the one retry of a short reply read in sendReceive.
    std::uint32_t shortReplyPauseMs = 50;

    // Attempts per operation.
    int attempts = 14;            // almost every command
    int linkCheckAttempts = 5;    // the link check
    int firmwareAttempts = 3;     // firmware blocks and the two closing firmware requests
    int singleAttempt = 1;        // bus queries and the programming entry

    // Work-mode switches wait this long before every attempt.
    std::uint32_t switchPauseMs = 500;

    // Switch-to-petrol step: the pause between polls, and the poll budget's time unit.
    std::uint32_t petrolPollPauseMs = 56;
    // The step has no budget of its own when the emulator delay is 0; it then gives up after this
    // long, or after this many failed polls in a row (the controller is gone).
    std::uint32_t petrolUnboundedWaitMs = 10000;
    int petrolWaitMaxFailedPolls = 6;
    // In demo mode the switch-to-petrol step only waits this long.
    std::uint32_t demoPetrolWaitMs = 300;

    // Live polling: pause between polls, demo poll pause, failed polls before the link counts as lost.
    std::uint32_t pollPauseMs = 100;
    std::uint32_t demoPollPauseMs = 50;
    int pollFailuresBeforeLoss = 6;

    // The documented values.
    static LinkTiming standard() { return LinkTiming{}; }
};

} // namespace tarvola
