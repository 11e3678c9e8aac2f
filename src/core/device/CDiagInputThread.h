#pragma once
// The live polling loop, independent of where samples come from: ask for a sample about every
// pollPauseMs, store the good ones, and give up on the source after a run of failed polls.
//
// Failed polls are counted in one process-wide counter, not per thread: it starts at 0 with the
// program, only a good poll resets it, and a new polling thread starts with whatever the last one
// left (after a loss the first poll of the next thread therefore decides at once).
//
// Ending, always through onStop() (which closes the recording), and never by an exception escaping
// run() (that would end the program):
//   - the polling-on flag is cleared: the thread finishes its current exchange and ends;
//   - pollFailuresBeforeLoss failed polls in a row, a raised error object (a port failure) while
//     polling is on, or any other exception: the buffer is cleared and onLost() runs, which marks
//     the controller lost and asks for a reconnection;
//   - a raised error object after the flag was cleared: the buffer is cleared, nothing is reported.

#include <atomic>
#include <cstdint>
#include <string>

#include "monitor/CDiag.h"
#include "monitor/CDiagData.h"
#include "msglib/CThread.h"

namespace tarvola {

// The process-wide count of failed polls in a row.
int diagFailureCount();
// Only for tests: a fresh program's count.
void resetDiagFailureCountForTesting();

class CDiagInputThread : public CSThread {
public:
    // `buffer` and `pollingOn` must outlive the thread's run (the device that owns both stops the
    // thread before they go).
    CDiagInputThread(CDiagData* buffer, std::string recordingPath, const std::atomic<bool>* pollingOn,
                     std::uint32_t pollPauseMs, int failuresBeforeLoss);
    ~CDiagInputThread() override = default;

    // The loop described above.
    void run() final;

    CDiagData* buffer() const { return m_buffer; }
    const std::string& recordingPath() const { return m_recordingPath; }
    // The polling thread whose run() is executing on the calling thread; null on any other thread.
    static const CDiagInputThread* current();

protected:
    bool pollingOn() const { return m_pollingOn->load(); }

    // Before the first poll (may raise: a raised error object counts as a port failure).
    virtual void onStart() = 0;
    // The thread is ending: close what it holds. Called exactly once, on every way out.
    virtual void onStop() = 0;
    // One poll: Read with the sample filled, UnexpectedReply or Failed.
    virtual PollStatus readSample(CDiag& sample) = 0;
    // A good sample: number it, record it, append it to the buffer.
    virtual void storeSample(CDiag& sample) = 0;
    // The source is lost; after onStop().
    virtual void onLost() = 0;

private:
    enum class End { Stopped, Lost, PortFailedWhileStopping };
    End loop();

    CDiagData* m_buffer;
    std::string m_recordingPath;
    const std::atomic<bool>* m_pollingOn;
    std::uint32_t m_pollPauseMs;
    int m_failuresBeforeLoss;
};

} // namespace tarvola
