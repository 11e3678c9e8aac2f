#pragma once
// Sleeping and the monotonic clock: the one place the core waits.

#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

namespace tarvola {

using SteadyClock = std::chrono::steady_clock;
// Where a waiting rule reads the time; tests hand in a clock they move by hand.
using ClockFn = std::function<SteadyClock::time_point()>;

inline void sleepMs(std::uint32_t ms)
{
    if (ms)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

inline std::int64_t elapsedMs(SteadyClock::time_point since)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - since).count();
}

} // namespace tarvola
