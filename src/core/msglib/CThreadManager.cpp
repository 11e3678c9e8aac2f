#include "msglib/CThreadManager.h"

#include "errors/IError.h"

#include <algorithm>

namespace tarvola {

namespace {

// The manager whose thread this is, if any: such a thread must not wait in stop() for itself.
thread_local const CThreadManager* t_runningUnder = nullptr;

[[noreturn]] void fail(std::int32_t code, const char* function, std::uint32_t line)
{
    throw CThreadError(static_cast<std::uint32_t>(code), function, line, "threadlib");
}

} // namespace

void CRecycleThread::run()
{
    CThreadManager& owner = *manager();
    for (;;) {
        if (owner.reaperMayEnd())
            return;
        owner.m_semaphore.down();
        if (owner.reaperMayEnd())
            return;
        owner.reapOne();
    }
}

CThreadManager::CThreadManager() : m_reaper(std::make_unique<CRecycleThread>())
{
    CRecycleThread* reaper = m_reaper.get();
    CMutexGuard guard(m_lock);
    reaper->m_manager.store(this);
    m_threads.push_back(reaper);
    auto entry = [this, reaper] {
        t_runningUnder = this;
        reaper->run();
        reaper->m_running.store(false);
        {
            CMutexGuard ended(m_lock);
            m_reaperEnded = true;
            m_changed.notify_all();
        }
        m_reaperEnd.signal();
    };
    // Joined, not detached: the manager owns its reaper and collects it before it goes.
    reaper->start(entry, false);
}

CThreadManager::~CThreadManager()
{
    stop();
    // stop() saw the reaper's latch; the reaper may still be on its way out and touching m_reaperEnd.
    m_reaper->join();
}

void CThreadManager::add(CThread* thread)
{
    if (!thread)
        fail(-1, "CThreadManager::add()", __LINE__);
    CMutexGuard guard(m_lock);
    if (m_stopping)
        fail(-1, "CThreadManager::add()", __LINE__);
    if (thread->isRunning())
        fail(-2, "CThread::create()", __LINE__);
    // The same address still listed means the object ran here before and its end has not been
    // reaped yet (or its owner freed it early and this is a new object in its place). Listing it
    // twice would let the reaper's removal of the old entry take the new one with it.
    const auto listed = [this, thread] {
        return std::find(m_threads.begin(), m_threads.end(), thread) != m_threads.end();
    };
    m_changed.wait(m_lock, [&] { return m_stopping || !listed(); });
    if (m_stopping)
        fail(-1, "CThreadManager::add()", __LINE__);

    thread->m_manager.store(this);
    m_threads.push_back(thread);
    auto entry = [this, thread] {
        t_runningUnder = this;
        thread->runBody(nullptr);
        // From here on the worker touches only the manager, never its object: the owner may
        // destroy the object as soon as the reaper has taken it off the list.
        thread->m_running.store(false);
        finished(thread);
    };
    try {
        // Detached: the owner may then destroy a reaped object without a join.
        thread->start(entry, true);
    } catch (...) {
        m_threads.pop_back();
        throw;
    }
}

std::size_t CThreadManager::count() const
{
    CMutexGuard guard(m_lock);
    return m_threads.size();
}

bool CThreadManager::contains(const CThread* thread) const
{
    CMutexGuard guard(m_lock);
    return std::find(m_threads.begin(), m_threads.end(), thread) != m_threads.end();
}

bool CThreadManager::waitReaped(const CThread* thread, std::chrono::milliseconds timeout) const
{
    CMutexGuard guard(m_lock);
    return m_changed.wait_for(m_lock, timeout, [&] {
        return std::find(m_threads.begin(), m_threads.end(), thread) == m_threads.end();
    });
}

void CThreadManager::stop(CMutex* callerLock)
{
    if (t_runningUnder == this)
        fail(-1, "CThreadManager::stop()", __LINE__);

    bool released = false;
    {
        CMutexGuard guard(m_lock);
        m_stopping = true;
        m_changed.notify_all();
        if (!m_reaperEnded) {
            if (m_threads.size() >= 2 && callerLock) {
                callerLock->unlock();
                released = true;
            }
            if (m_threads.size() == 1)
                m_semaphore.up();
        }
        // The wait gives up m_lock: the reaper needs it to take the ending workers off the list.
        m_changed.wait(m_lock, [this] { return m_reaperEnded; });
    }
    // Retaken only after m_lock is free, so that no one ever waits for the caller's lock while
    // holding the manager's (a worker may hold the caller's lock and ask for count()).
    if (released)
        callerLock->lock();
}

bool CThreadManager::reaperMayEnd()
{
    CMutexGuard guard(m_lock);
    return m_stopping && m_threads.size() == 1;
}

void CThreadManager::reapOne()
{
    CThread* ended = nullptr;
    {
        CMutexGuard guard(m_finishedLock);
        if (m_finished.empty())
            return;
        ended = m_finished.front();
        m_finished.pop();
    }
    CMutexGuard guard(m_lock);
    std::erase(m_threads, ended);
    m_changed.notify_all();
}

void CThreadManager::finished(CThread* thread)
{
    {
        CMutexGuard guard(m_finishedLock);
        m_finished.push(thread);
    }
    m_semaphore.up();
}

CLPGThreadManager::~CLPGThreadManager()
{
    stop();
}

} // namespace tarvola
