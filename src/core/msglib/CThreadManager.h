#pragma once
// The thread manager: starts worker threads and reaps them when they end, so that the owner of a
// worker can learn that it is gone (count(), contains(), waitReaped()) and stop() can wait for all.

#include "msglib/CEvent.h"
#include "msglib/CMutex.h"
#include "msglib/CSemaphore.h"
#include "msglib/CThread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <queue>

namespace tarvola {

class CThreadManager;

// The manager's reaper: takes each ended thread off the manager's list and ends itself once the
// manager is stopping and no other thread is left.
class CRecycleThread : public CSemThread {
public:
    void run() override;
};

// Runs threads and keeps a list of them, the reaper included, until each has ended.
//
// Ownership of a thread handed to add(): the manager never deletes it; it stays its creator's.
// The manager detaches the thread of execution, so the object has no std::thread left to join.
// The owner keeps the object alive until the manager has reaped it (contains() turned false,
// waitReaped() returned true, count() fell) or until stop() has returned. The manager compares
// the object's address, so an object freed earlier and another created at the same address would
// be taken for one thread; add() guards against that by waiting for the old entry to be reaped.
//
// Stopping: the manager cannot end a thread (CThread::kill explains why), and the reaper ends only
// when it is the last thread. Tell the workers to stop through their own flags first; stop() then
// waits until every worker has returned from its body, and waits for ever if one never does.
class CThreadManager {
public:
    // Starts the reaper. Raises CThreadError -2 "CThread::create()" when it cannot be started.
    CThreadManager();
    // Stops the manager unless stop() already ran (see stop() for the wait this implies).
    virtual ~CThreadManager();
    CThreadManager(const CThreadManager&) = delete;
    CThreadManager& operator=(const CThreadManager&) = delete;

    // Records this manager in `thread`, starts it with the manager's entry (its constructor's
    // routine when it has one, else run(); then the reaper is told it ended) and lists it.
    // Raises CThreadError -1 "CThreadManager::add()" for a null thread or once stop() has begun,
    // and -2 "CThread::create()" when the thread is still running or cannot be started.
    void add(CThread* thread);

    // The number of listed threads, the reaper included: at least 1.
    std::size_t count() const;
    // True while `thread` is listed, that is, added and not yet reaped.
    bool contains(const CThread* thread) const;
    // Waits up to `timeout` until `thread` is no longer listed; true when it is not. Afterwards its
    // owner may destroy it.
    bool waitReaped(const CThread* thread, std::chrono::milliseconds timeout) const;

    // Stops the manager: no thread may be added any more, and stop() returns once every worker has
    // ended and the reaper with them. When the caller holds `callerLock` and workers still run, the
    // lock is released while they finish (they may need it) and held again when stop() returns.
    // The manager's lock is not held while stop() waits, so count() and contains() still answer
    // and the reaper can go on taking ended workers off the list. Several threads may call stop();
    // once it has returned, a further call returns at once. Raises CThreadError -1 "CThreadManager::stop()" when called
    // from a thread that this manager runs, which would wait for itself.
    void stop(CMutex* callerLock = nullptr);

private:
    friend class CRecycleThread;

    // Reaper side: true once the reaper may end (stopping and nothing else listed).
    bool reaperMayEnd();
    // Reaper side: takes the oldest ended thread off the finished queue and off the list.
    void reapOne();
    // Worker side: the last step of a worker, after its body returned.
    void finished(CThread* thread);

    // Guarded by m_lock, as are m_threads and m_reaperEnded.
    bool m_stopping = false;
    std::deque<CThread*> m_threads;
    std::queue<CThread*> m_finished;
    CMutex m_finishedLock;
    // Pulsed when the reaper ends. stop() does not wait on the pulse, which passes unseen when it
    // comes before the wait begins; it waits under m_lock for the latched m_reaperEnded instead.
    CEvent m_reaperEnd;
    // One unit for each ended worker, and one from stop() to wake an idle reaper.
    CSemaphore m_semaphore{0};
    mutable CMutex m_lock;
    // Notified under m_lock when the reaper took a thread off the list, when it ended and when
    // stopping began.
    mutable std::condition_variable_any m_changed;
    bool m_reaperEnded = false;
    std::unique_ptr<CRecycleThread> m_reaper;
};

// The manager kind that may run several threads at once; adds nothing to the base.
class CMultiThread : public CThreadManager {
public:
    ~CMultiThread() override = default;
};

// The program's one thread manager, which runs the live polling thread. At program end the
// polling flag must be cleared before this is destroyed: destruction waits for the polling thread
// to finish its exchange, so a recording is closed with its tail and the port is left quiet.
class CLPGThreadManager : public CMultiThread {
public:
    ~CLPGThreadManager() override;
};

} // namespace tarvola
