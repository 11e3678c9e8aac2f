#include "msglib/CSemaphore.h"

#include "errors/IError.h"

namespace tarvola {

CSemaphore::CSemaphore(std::int32_t initial, std::string name) : m_count(initial), m_name(std::move(name))
{
    if (initial < 0)
        throw CThreadError(static_cast<std::uint32_t>(-1), "CSemaphore::CSemaphore()", __LINE__, "threadlib");
}

void CSemaphore::down()
{
    std::unique_lock lock(m_lock);
    m_available.wait(lock, [this] { return m_count > 0; });
    --m_count;
}

bool CSemaphore::tryDown()
{
    std::lock_guard lock(m_lock);
    if (m_count == 0)
        return false;
    --m_count;
    return true;
}

void CSemaphore::up(std::int32_t n)
{
    std::lock_guard lock(m_lock);
    if (n < 1 || n > MaxCount - m_count)
        throw CThreadError(static_cast<std::uint32_t>(-1), "CSemaphore::up()", __LINE__, "threadlib");
    m_count += n;
    // Notified while the lock is still held: a thread that ends right after its release (a worker of
    // the manager) must not touch the semaphore once the waiter could have gone on and destroyed it.
    if (n == 1)
        m_available.notify_one();
    else
        m_available.notify_all();
}

} // namespace tarvola
