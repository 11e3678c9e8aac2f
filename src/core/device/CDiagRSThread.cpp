#include "device/CDiagRSThread.h"

#include <algorithm>

#include "device/CLPGDevice.h"
#include "monitor/DiagValues.h"

namespace tarvola {

CDiagRSThread::CDiagRSThread(CLPGDevice& device, CDiagData* buffer, const std::string& recordingPath,
                             const std::atomic<bool>* pollingOn)
    : CDiagInputThread(buffer, recordingPath, pollingOn, device.timing().pollPauseMs,
                       device.timing().pollFailuresBeforeLoss),
      m_device(device)
{
    m_recording = m_file.open(recordingPath, CDiagFile::Mode::Write);
}

void CDiagRSThread::onStart()
{
    buffer()->clear();
}

void CDiagRSThread::onStop()
{
    m_file.close();
}

PollStatus CDiagRSThread::readSample(CDiag& sample)
{
    DiagPayload payload{};
    const PollStatus status = m_device.pollDiagnostics(payload);
    if (status != PollStatus::Read)
        return status;
    std::copy(payload.begin(), payload.end(), sample.m_bytes.begin());
    const std::uint8_t mode = sample.m_bytes[diag::WorkMode];
    if (mode == 4 || mode == 5)
        sample.m_bytes[diag::WorkMode] = ModeGas;
    return PollStatus::Read;
}

void CDiagRSThread::storeSample(CDiag& sample)
{
    const std::uint32_t n = m_counter.load() + 1;
    m_counter.store(n);
    if (m_file.isOpen())
        m_file.writeSample(sample, buffer()->context());
    sample.setSequence(n);
    buffer()->append(sample);
}

void CDiagRSThread::onLost()
{
    m_device.setConnected(false);
    if (IDeviceListener* listener = m_device.listener())
        listener->controllerLost();
}

} // namespace tarvola
