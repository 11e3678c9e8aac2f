#include "device/DiagPolling.h"
#include "monitor/DiagValues.h"

#include <map>
#include <memory>
#include <mutex>

#include "errors/IError.h"
#include "device/CLPGDevice.h"
#include "device/CDiagRSThread.h"

namespace tarvola {

namespace {

struct PollingSlot {
    std::unique_ptr<CDiagRSThread> thread;
    std::atomic<bool>* pollingOn = nullptr;
    // How long a stop waits for the thread: its pause and one exchange at its slowest.
    std::chrono::milliseconds stopWait{0};
};

// Held for the whole of a start or stop, waits included; the polling threads never take it, so a
// wait for one of them cannot deadlock on it.
struct Slots {
    std::mutex lock;
    std::map<const CDiagData*, PollingSlot> byBuffer;
};

Slots& slots()
{
    // Never destroyed: a device may still be stopping its thread while static objects go at exit.
    static Slots* const s = new Slots;
    return *s;
}

std::chrono::milliseconds stopWaitFor(const LinkTiming& t)
{
    // A poll's exchange reads at most a 4-byte header and a 257-byte rest, each with its time-out;
    // a third time-out covers a write that waits for a full transmit buffer to drain.
    const std::uint32_t readMs = t.readTimeoutConstantMs + 300 * t.readTimeoutPerByteMs;
    return std::chrono::milliseconds(t.pollPauseMs + t.demoPollPauseMs + 3 * readMs + 1000);
}

// With slots().lock held. True when no thread feeds `buffer` any more. With `untilGone` false it
// gives up after the slot's wait and leaves the thread listed, to be collected by the next start
// or stop; deleting it earlier would pull the object from under a running thread.
bool endPolling(const CDiagData* buffer, bool untilGone)
{
    auto& map = slots().byBuffer;
    const auto it = map.find(buffer);
    if (it == map.end())
        return true;
    PollingSlot& slot = it->second;
    slot.pollingOn->store(false);
    while (!lpgThreadManager().waitReaped(slot.thread.get(), slot.stopWait))
        if (!untilGone)
            return false;
    map.erase(it);
    return true;
}

} // namespace

CLPGThreadManager& lpgThreadManager()
{
    static CLPGThreadManager manager;
    return manager;
}

void endPollingInto(const CDiagData* buffer) noexcept
{
    if (CDiagInputThread::current())
        return;
    try {
        std::lock_guard guard(slots().lock);
        endPolling(buffer, true);
    } catch (...) {
        // Only the lock can raise here, and only when the system is out of resources.
    }
}

bool CLPGDevice::startDiagnostics(const std::string& recordingPath)
{
    // The polling thread itself (a listener answering controllerLost at once) cannot replace
    // itself: it would wait for its own end.
    if (CDiagInputThread::current())
        return false;
    std::lock_guard guard(slots().lock);
    // One polling thread at a time: a running one ends first, and closes its recording.
    m_pollingOn = false;
    if (!endPolling(&m_diagData, false) || !m_diagAllowed)
        return false;
    // Samples convert (and record) with the sensors and injector count the record holds now.
    m_diagData.setContext(contextFrom(m_settings));

    // Listed before it runs, so that nothing after add() can fail and free a running thread.
    PollingSlot slot{std::make_unique<CDiagRSThread>(*this, &m_diagData, recordingPath, &m_pollingOn),
                     &m_pollingOn, stopWaitFor(timing())};
    CDiagRSThread* thread = slot.thread.get();
    slots().byBuffer[&m_diagData] = std::move(slot);
    m_pollingOn = true;
    const auto unlist = [this] {
        m_pollingOn = false;
        slots().byBuffer.erase(&m_diagData);
    };
    try {
        lpgThreadManager().add(thread);
    } catch (const IError&) {
        // The manager could not start a thread: polling simply did not start.
        unlist();
        return false;
    } catch (...) {
        unlist();
        throw;
    }
    return true;
}

void CLPGDevice::stopDiagnostics()
{
    m_pollingOn = false;
    if (CDiagInputThread::current())
        return;
    std::lock_guard guard(slots().lock);
    endPolling(&m_diagData, false);
}

} // namespace tarvola
