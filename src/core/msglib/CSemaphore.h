#pragma once
// A counting semaphore: the manager counts its ended threads with one, the reaper waits on it.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

namespace tarvola {

class CSemaphore {
public:
    // The largest count a semaphore may reach; releasing past it is refused.
    static constexpr std::int32_t MaxCount = 2147483647;

    // Starts with `initial` units. An initial count below 0 or above MaxCount raises CThreadError -1
    // "CSemaphore::CSemaphore()". The name is a label for debugging only: our semaphores live inside
    // one process and are never shared with another, so nothing looks a semaphore up by name.
    explicit CSemaphore(std::int32_t initial, std::string name = "");
    CSemaphore(const CSemaphore&) = delete;
    CSemaphore& operator=(const CSemaphore&) = delete;

    // Takes one unit, waiting as long as it takes for one to be released.
    void down();
    // Takes one unit when one is free; never waits.
    bool tryDown();
    // Releases n units at once. n below 1, or a release that would lift the count past MaxCount,
    // raises CThreadError -1 "CSemaphore::up()" and leaves the count unchanged.
    void up(std::int32_t n = 1);

    const std::string& name() const noexcept { return m_name; }

private:
    std::mutex m_lock;
    std::condition_variable m_available;
    std::int32_t m_count;
    std::string m_name;
};

} // namespace tarvola
