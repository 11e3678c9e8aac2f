#pragma once
// Helpers of the thread tests. States that another thread brings about are awaited for a few
// seconds at most, so a fault shows as a failure, not as a hung test run.

#include "msglib/threadlib.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace tarvola::test {

constexpr std::uint32_t kMinusOne = static_cast<std::uint32_t>(-1);
constexpr std::uint32_t kMinusTwo = static_cast<std::uint32_t>(-2);

template <class Pred>
bool waitUntil(Pred pred, std::chrono::milliseconds timeout = std::chrono::seconds(5))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return pred();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

template <class F>
void expectThreadError(F f, std::uint32_t code, const char* function)
{
    try {
        f();
        ADD_FAILURE() << "nothing raised, expected " << function;
    } catch (const CThreadError& e) {
        EXPECT_EQ(e.code(), code) << function;
        EXPECT_EQ(e.function(), function);
        EXPECT_EQ(e.file(), "threadlib");
    }
}

// Whether another thread could take the lock just now (a std::mutex may not be tried by its holder).
inline bool lockableElsewhere(CMutex& lock)
{
    bool taken = false;
    std::thread probe([&] {
        taken = lock.tryLock();
        if (taken)
            lock.unlock();
    });
    probe.join();
    return taken;
}

// An application thread that stays in run() until its gate is opened, so a test can look at it
// mid-way.
class GateThread : public CSThread {
public:
    void run() override
    {
        sawOwnId = (*this == std::this_thread::get_id());
        gate.down();
        ++runs;
    }
    CSemaphore gate{0};
    std::atomic<bool> sawOwnId{false};
    std::atomic<int> runs{0};
};

// Ends the test program when the scope that owns it has not finished after `limit`: a deadlock in
// stop() would otherwise hang the whole run until ctest gives up on it.
class Watchdog {
public:
    explicit Watchdog(const char* what, std::chrono::milliseconds limit = std::chrono::seconds(10))
        : m_thread([this, what, limit] {
              std::unique_lock lock(m_lock);
              if (!m_done.wait_for(lock, limit, [this] { return m_disarmed; })) {
                  std::fprintf(stderr, "deadlock: %s did not finish\n", what);
                  std::abort();
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(m_lock);
            m_disarmed = true;
        }
        m_done.notify_one();
        m_thread.join();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_done;
    bool m_disarmed = false;
    std::thread m_thread;
};

} // namespace tarvola::test
