#pragma once
// A pulsed event: signal() wakes whoever is waiting at that moment and remembers nothing.

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace tarvola {

class CEvent {
public:
    enum class WaitResult { Signalled, Abandoned, TimedOut };

    // Passed to wait() to wait without a time-out.
    static constexpr std::uint32_t Infinite = 0xFFFFFFFFu;

    // Starts not signalled.
    CEvent() = default;
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    // Wakes every thread inside wait() at this moment and leaves the event not signalled, so a
    // thread that starts waiting afterwards waits for the next pulse. Whoever must not miss an
    // occurrence needs a latched state of its own beside the event.
    void signal();

    // Waits up to `ms` milliseconds (Infinite: no limit) for the next pulse. Returns Signalled when
    // one came, TimedOut otherwise. Abandoned is kept for callers that test for it; only an owned
    // lock can be abandoned, so this event never returns it.
    WaitResult wait(std::uint32_t ms);

private:
    std::mutex m_lock;
    std::condition_variable m_pulsed;
    // Counts pulses; a waiter notes it on entry and wakes when it moves, which tells a real pulse
    // from a spurious wake-up and lets a pulse reach waiters that have not run since.
    std::uint64_t m_generation = 0;
};

} // namespace tarvola
