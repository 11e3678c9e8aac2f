#pragma once
// Plain locks of the thread library: a non-recursive mutex and its scoped holder.

#include <mutex>

namespace tarvola {

class CMutex {
public:
    CMutex() = default;
    CMutex(const CMutex&) = delete;
    CMutex& operator=(const CMutex&) = delete;

    void lock() { m_mutex.lock(); }
    void unlock() { m_mutex.unlock(); }
    bool tryLock() { return m_mutex.try_lock(); }

private:
    std::mutex m_mutex;
};

// Holds one CMutex for its lifetime; an empty pointer holds nothing. The lock is released on every
// way out of the scope, a raised error included.
class CMutexGuard {
public:
    explicit CMutexGuard(CMutex* mutex) : m_mutex(mutex)
    {
        if (m_mutex)
            m_mutex->lock();
    }
    explicit CMutexGuard(CMutex& mutex) : CMutexGuard(&mutex) {}
    ~CMutexGuard()
    {
        if (m_mutex)
            m_mutex->unlock();
    }
    CMutexGuard(const CMutexGuard&) = delete;
    CMutexGuard& operator=(const CMutexGuard&) = delete;

private:
    CMutex* m_mutex;
};

} // namespace tarvola
