#pragma once
// Helpers of the thread tests. States that another thread brings about are awaited for a few
// seconds at most, so a fault shows as a failure, not as a hung test run.

#include "msglib/threadlib.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>

namespace tarvola::test {

using namespace std::chrono_literals;
constexpr std::uint32_t kMinusOne = static_cast<std::uint32_t>(-1);
constexpr std::uint32_t kMinusTwo = static_cast<std::uint32_t>(-2);

// Polls `pred` until it holds or `timeout` has passed; its last answer. A short timeout turns it
// into a watch for something that must not happen: a fault shows as soon as it does.
template <class Pred>
bool waitUntil(Pred pred, std::chrono::milliseconds timeout = 5s)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return pred();
        std::this_thread::sleep_for(1ms);
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

// Ends the test program when the scope that owns it has not finished within 10 s: a deadlock in
// stop() would otherwise hang the whole run until ctest gives up on it.
class Watchdog {
public:
    explicit Watchdog(const char* what)
        : m_thread([done = m_disarmed.get_future(), what] {
              if (done.wait_for(10s) == std::future_status::timeout) {
                  std::fprintf(stderr, "deadlock: %s did not finish\n", what);
                  std::abort();
              }
          })
    {
    }
    ~Watchdog()
    {
        m_disarmed.set_value();
        m_thread.join();
    }

private:
    std::promise<void> m_disarmed;
    std::thread m_thread;
};

} // namespace tarvola::test
