#include "msglib/CEvent.h"

#include <chrono>

namespace tarvola {

void CEvent::signal()
{
    std::lock_guard lock(m_lock);
    ++m_generation;
    m_pulsed.notify_all();
}

CEvent::WaitResult CEvent::wait(std::uint32_t ms)
{
    std::unique_lock lock(m_lock);
    const std::uint64_t seen = m_generation;
    const auto pulsed = [this, seen] { return m_generation != seen; };
    if (ms == Infinite) {
        m_pulsed.wait(lock, pulsed);
        return WaitResult::Signalled;
    }
    return m_pulsed.wait_for(lock, std::chrono::milliseconds(ms), pulsed) ? WaitResult::Signalled
                                                                         : WaitResult::TimedOut;
}

} // namespace tarvola
