#pragma once
// Threads of the program: a thread object owns one thread of execution at a time and gives it a
// body, either a start routine or the virtual run().

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace tarvola {

class CThreadManager;

// Base of all threads. A thread object belongs to whoever created it; neither the thread it runs
// nor a CThreadManager that runs it ever deletes it.
//
// Lifetime: destroying a thread object that started its thread with create() joins that thread,
// so no std::thread is ever left joinable; but by then the derived part is gone, so call join()
// first (or wait for isRunning() to turn false) when run() uses members of a derived class. A
// thread run by a CThreadManager is detached by the manager and obeys the manager's rule instead
// (see CThreadManager.h).
//
// A body must not let an exception escape: as with any std::thread, that ends the program.
class CThread {
public:
    // A start routine receives the argument given to create(), or the thread object itself as a
    // CThread* converted to void* when that argument is null.
    using StartRoutine = std::function<void(void*)>;

    explicit CThread(StartRoutine routine = nullptr);
    virtual ~CThread();
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    // The body of the thread when no start routine is in use; the base does nothing.
    virtual void run() {}

    // Starts the thread. Its body is, in this order: the routine given to the constructor (it gets
    // `arg`, or this object when `arg` is null); else `routine` (it gets `arg` as given); else run().
    // Raises CThreadError -2 "CThread::create()" when the system cannot start a thread, or when this
    // object's previous thread is still running (one object runs one thread at a time).
    void create(void* arg = nullptr, StartRoutine routine = nullptr);

    // The standard library can neither terminate nor suspend another thread, and nothing in this
    // program needs to: every thread here ends by itself when its own stop flag is cleared. These
    // three therefore always raise CThreadError code 1 ("Operacja nie zaimplementowana") naming
    // "CThread::kill()", "CThread::suspend()" and "CThread::resume()".
    [[noreturn]] void kill();
    [[noreturn]] void suspend();
    [[noreturn]] void resume();

    // True from create() (or the manager's add()) until the body has returned.
    bool isRunning() const noexcept { return m_running.load(); }

    // The id of the thread last started, default-constructed before the first start. It stays
    // after the thread ended, and the system may then give it to another thread.
    std::thread::id id() const noexcept { return m_id.load(); }
    bool operator==(std::thread::id other) const noexcept { return id() == other; }

    // Waits until the thread started by create() has ended. Returns at once when none was started
    // or when a manager runs it (its owner waits with CThreadManager::waitReaped instead). Called
    // by the thread on itself it raises CThreadError -1 "CThread::join()", as it would never return.
    void join();

    // The manager that last ran this thread; null when it was never added to one.
    CThreadManager* manager() const noexcept { return m_manager.load(); }

private:
    friend class CThreadManager;

    // Runs the constructor's routine with `arg` (this object when null), else run().
    void runBody(void* arg);
    // Starts a thread executing `body`, detached when `detach` is set; the body must clear
    // m_running as its last touch of this object. Raises as create() does.
    void start(std::function<void()> body, bool detach);

    StartRoutine m_startRoutine;
    std::thread m_thread;
    // Held by start() until m_thread and m_id are set; the new thread takes it once before its
    // body, so a body that looks at its own object finds them complete.
    std::mutex m_startLock;
    std::atomic<std::thread::id> m_id{};
    std::atomic<bool> m_running{false};
    std::atomic<CThreadManager*> m_manager{nullptr};
};

// The base of the manager's reaper; like CThread it may be given a start routine.
class CSemThread : public CThread {
public:
    explicit CSemThread(StartRoutine routine = nullptr) : CThread(std::move(routine)) {}
};

// An application thread: no start routine, its body is run(). The live polling threads derive from it.
class CSThread : public CSemThread {
public:
    CSThread() : CSemThread(nullptr) {}
};

} // namespace tarvola
