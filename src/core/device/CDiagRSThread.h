#pragma once
// The polling thread over the controller link: polls the device, numbers and records each sample,
// and hands a lost controller to the device's listener.

#include <atomic>
#include <cstdint>
#include <string>

#include "monitor/CDiagFile.h"
#include "device/CDiagInputThread.h"

namespace tarvola {

class CLPGDevice;

class CDiagRSThread : public CDiagInputThread {
public:
    // Opens the recording at `recordingPath` for writing (creating or truncating it); when it cannot
    // be opened (an empty path never can) the thread polls without recording. Pause and
    // failure limit come from the device's timing record.
    CDiagRSThread(CLPGDevice& device, CDiagData* buffer, const std::string& recordingPath,
                  const std::atomic<bool>* pollingOn);

    // Whether the recording file was opened (it stays so until the thread ends).
    bool recording() const { return m_recording; }
    // Samples stored so far; the last one stored carries this as its sequence number.
    std::uint32_t sampleCount() const { return m_counter.load(); }

protected:
    // Starts a fresh buffer. The port's receive side is not purged here: every poll purges it
    // under the exchange lock, and purging outside the lock could drop the reply of a command
    // that the user-interface thread is running at that moment.
    void onStart() override;
    void onStop() override;
    // pollDiagnostics; work modes 4 and 5 (gas variants) read as 3.
    PollStatus readSample(CDiag& sample) override;
    void storeSample(CDiag& sample) override;
    // Clears the connected flag and tells the device's listener (on this thread).
    void onLost() override;

private:
    CLPGDevice& m_device;
    std::atomic<std::uint32_t> m_counter{0};
    CDiagFile m_file;
    bool m_recording = false;
};

} // namespace tarvola
