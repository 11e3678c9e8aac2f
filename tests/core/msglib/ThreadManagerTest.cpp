#include "ThreadTestSupport.h"

#include <memory>

using namespace tarvola;
using namespace tarvola::test;

namespace {

// Needs the lock that the test holds, the way a polling thread needs the exchange lock.
class LockingWorker : public CSThread {
public:
    LockingWorker(CMutex& lock, std::atomic<int>& done) : m_lock(lock), m_done(done) {}
    void run() override
    {
        CMutexGuard guard(m_lock);
        ++m_done;
    }

private:
    CMutex& m_lock;
    std::atomic<int>& m_done;
};

} // namespace

TEST(ThreadManagerTest, WithoutWorkersStopWakesTheReaperAndReturnsQuickly)
{
    CThreadManager manager;
    EXPECT_EQ(manager.count(), 1u) << "the reaper is listed";
    const auto start = std::chrono::steady_clock::now();
    {
        Watchdog dog("stop() of an idle manager");
        manager.stop();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_EQ(manager.count(), 1u);
    manager.stop(); // a second stop returns at once

    // Destruction stops a manager that was not stopped, and waits for its workers.
    auto owned = std::make_unique<CLPGThreadManager>();
    GateThread worker;
    owned->add(&worker);
    worker.gate.up();
    owned.reset();
    EXPECT_EQ(worker.runs.load(), 1);
}

TEST(ThreadManagerTest, EndedWorkerIsReaped)
{
    CThreadManager manager;
    GateThread worker;
    manager.add(&worker);
    EXPECT_EQ(manager.count(), 2u);
    EXPECT_TRUE(manager.contains(&worker));
    EXPECT_EQ(worker.manager(), &manager);
    EXPECT_FALSE(manager.waitReaped(&worker, 20ms));

    worker.gate.up();
    EXPECT_TRUE(waitUntil([&] { return manager.count() == 1; }));
    EXPECT_FALSE(manager.contains(&worker));
    EXPECT_TRUE(manager.waitReaped(&worker, 0ms));
    EXPECT_FALSE(worker.isRunning());
    EXPECT_EQ(worker.runs.load(), 1);
    manager.stop();
}

TEST(ThreadManagerTest, StopLendsTheCallersLockToTheWorkersAndHoldsItAgainOnReturn)
{
    CThreadManager manager;
    CMutex exchange;
    std::atomic<int> done{0};
    LockingWorker worker(exchange, done);

    exchange.lock();
    manager.add(&worker);
    EXPECT_FALSE(waitUntil([&] { return done.load() > 0; }, 20ms)) << "the worker got a lock the caller holds";
    {
        Watchdog dog("stop() with a worker waiting for the caller's lock");
        manager.stop(&exchange);
    }
    EXPECT_EQ(done.load(), 1) << "the worker never got the lock";
    EXPECT_EQ(manager.count(), 1u);
    EXPECT_FALSE(lockableElsewhere(exchange)) << "stop() returned without the caller's lock";
    exchange.unlock();
}

TEST(ThreadManagerTest, RefusesWhatItCannotRun)
{
    CThreadManager manager;
    expectThreadError([&] { manager.add(nullptr); }, kMinusOne, "CThreadManager::add()");
    GateThread running;
    running.create();
    expectThreadError([&] { manager.add(&running); }, kMinusTwo, "CThread::create()");
    running.gate.up();
    running.join();

    // A worker asking its own manager to stop would wait for itself. Its own routine runs, and
    // it is reaped like any other.
    CThread selfStopper(
        [&](void*) { expectThreadError([&] { manager.stop(); }, kMinusOne, "CThreadManager::stop()"); });
    manager.add(&selfStopper);
    EXPECT_TRUE(manager.waitReaped(&selfStopper, 5s));

    manager.stop();
    GateThread late;
    expectThreadError([&] { manager.add(&late); }, kMinusOne, "CThreadManager::add()");
    EXPECT_FALSE(late.isRunning());
}

TEST(ThreadManagerTest, SameObjectRunsAgainOnceItsEarlierRunEnded)
{
    CThreadManager manager;
    GateThread worker;
    for (int i = 0; i < 20; ++i) {
        // Mostly added again before the reaper took the previous run off the list; the reaper's
        // handling of that end must leave this run listed.
        manager.add(&worker);
        ASSERT_FALSE(manager.waitReaped(&worker, 2ms)) << "run " << i << " lost its entry while running";
        worker.gate.up();
        // Spun for, not polled, so the next add() comes as soon after the end as it can.
        while (worker.isRunning())
            std::this_thread::yield();
    }
    EXPECT_TRUE(waitUntil([&] { return manager.count() == 1; }));
    EXPECT_EQ(worker.runs.load(), 20);
    manager.stop();
}
