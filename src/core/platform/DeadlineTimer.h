#pragma once
// A one-shot deadline that every change pushes back: the delayed writes of the calibration pages
// (the line write, the map store, the per-cylinder corrections) collect a burst of changes into one
// exchange this way. The timer does not run by itself: the GUI ticks it from a QTimer, the CLI and
// the tests call tick() when they choose, with a clock they may drive by hand.

#include <chrono>
#include <functional>
#include <optional>

#include "platform/Clock.h"

namespace tarvola {

class DeadlineTimer {
public:
    explicit DeadlineTimer(std::chrono::milliseconds period, ClockFn clock = [] { return SteadyClock::now(); })
        : m_period(period), m_clock(std::move(clock))
    {
    }

    // (Re)starts the timer: the deadline is one period from now.
    void restart() { m_deadline = m_clock() + m_period; }
    void stop() { m_deadline.reset(); }
    bool running() const { return m_deadline.has_value(); }
    std::chrono::milliseconds period() const { return m_period; }
    // Time left until the deadline (zero once it has passed); nothing while stopped.
    std::optional<std::chrono::milliseconds> remaining() const
    {
        if (!m_deadline)
            return std::nullopt;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*m_deadline - m_clock());
        return left.count() > 0 ? left : std::chrono::milliseconds(0);
    }
    // True once, when the deadline has passed: the timer stops itself and the owner runs its action.
    bool tick()
    {
        if (!m_deadline || m_clock() < *m_deadline)
            return false;
        m_deadline.reset();
        return true;
    }

private:
    std::chrono::milliseconds m_period;
    ClockFn m_clock;
    std::optional<SteadyClock::time_point> m_deadline;
};

} // namespace tarvola
