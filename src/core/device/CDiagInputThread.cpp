#include "device/CDiagInputThread.h"

#include "errors/IError.h"
#include "device/CLPGDevice.h"
#include "platform/Clock.h"

namespace tarvola {

namespace {

std::atomic<int> g_failures{0};
thread_local const CDiagInputThread* t_current = nullptr;

// The ways out must all run even when one of them raises.
template <class F>
void bestEffort(F&& step) noexcept
{
    try {
        step();
    } catch (...) {
        // Nothing is left to tell on the way out of a polling thread; the next step still runs.
    }
}

} // namespace

int diagFailureCount()
{
    return g_failures.load();
}

void resetDiagFailureCountForTesting()
{
    g_failures.store(0);
}

CDiagInputThread::CDiagInputThread(CDiagData* buffer, std::string recordingPath, const std::atomic<bool>* pollingOn,
                                   std::uint32_t pollPauseMs, int failuresBeforeLoss)
    : m_buffer(buffer), m_recordingPath(std::move(recordingPath)), m_pollingOn(pollingOn),
      m_pollPauseMs(pollPauseMs), m_failuresBeforeLoss(failuresBeforeLoss)
{
}

const CDiagInputThread* CDiagInputThread::current()
{
    return t_current;
}

void CDiagInputThread::run()
{
    t_current = this;
    End end = End::Stopped;
    try {
        onStart();
        end = loop();
    } catch (const IError&) {
        // A port failure. Whatever the line reports, the polling has ended: leaving the link marked
        // connected would show a controller that nobody polls or reconnects any more.
        end = pollingOn() ? End::Lost : End::PortFailedWhileStopping;
    } catch (...) {
        end = End::Lost;
    }
    if (end != End::Stopped)
        bestEffort([this] { m_buffer->clear(); });
    bestEffort([this] { onStop(); });
    if (end == End::Lost)
        bestEffort([this] { onLost(); });
    t_current = nullptr;
}

CDiagInputThread::End CDiagInputThread::loop()
{
    for (;;) {
        if (!pollingOn())
            return End::Stopped;
        CDiag sample{};
        sleepMs(m_pollPauseMs);
        // Checked again after the pause so that a stop does not wait for one more exchange.
        if (!pollingOn())
            return End::Stopped;
        const PollStatus status = readSample(sample);
        if (status == PollStatus::Read) {
            storeSample(sample);
            g_failures.store(0);
        } else if (status == PollStatus::Failed) {
            g_failures.fetch_add(1);
        }
        if (g_failures.load() >= m_failuresBeforeLoss)
            return End::Lost;
    }
}

} // namespace tarvola
