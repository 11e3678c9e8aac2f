// One frame out, one frame back.

#include "link/CLink.h"

#include <algorithm>
#include <array>

#include "platform/Clock.h"

namespace tarvola {

CLink::CLink(LinkTiming timing, std::unique_ptr<CSerialPort> port)
    : m_timing(timing), m_port(port ? std::move(port) : std::make_unique<CSerialPort>())
{
}

void CLink::trace(IFrameObserver::Direction direction, std::span<const std::uint8_t> bytes, const char* operation)
{
    if (m_observer)
        m_observer->onFrame(direction, bytes, operation ? operation : "");
}

void CLink::reopen(const std::string& path)
{
    CMutexGuard guard(m_exchangeLock);
    m_port->close();
    try {
        m_port->open(path);
        m_port->configure(m_timing);
    } catch (...) {
        m_port->close();
        throw;
    }
}

void CLink::close()
{
    CMutexGuard guard(m_exchangeLock);
    m_port->close();
}

bool CLink::exchange(ExchangeBuffer& buffer, std::uint8_t& length, std::uint8_t& code, const char* operation,
                     ReadMode mode)
{
    CMutexGuard guard(m_exchangeLock);

    // The checksum is taken before conversion; a byte sum does not care about byte order anyway.
    const std::uint16_t checksum = frameChecksum(length, code, buffer);
    if (!m_nativeByteOrder)
        convertRequestPayload(code, buffer);

    std::array<std::uint8_t, kExchangeBufferSize> frame{};
    frame[0] = kFrameStart1;
    frame[1] = kFrameStart2;
    frame[2] = length;
    frame[3] = code;
    std::copy_n(buffer.begin(), length, frame.begin() + 4);
    frame[4 + length] = static_cast<std::uint8_t>(checksum >> 8);
    frame[5 + length] = static_cast<std::uint8_t>(checksum & 0xFF);
    const std::size_t frameSize = length + kFrameOverhead;

    // Stale input (the tail of an earlier bad reply, line noise) must not be taken for this reply.
    m_port->purgeIn();
    m_port->write(frame.data(), frameSize);
    trace(IFrameObserver::Direction::Sent, std::span(frame.data(), frameSize), operation);
    if (m_port->clearCommError() != 0)
        return false;

    // Received bytes are gathered here only for the trace.
    std::array<std::uint8_t, 4 + 257> received{};
    std::size_t receivedCount = 0;
    const auto traceReceived = [&] {
        trace(IFrameObserver::Direction::Received, std::span(received.data(), receivedCount), operation);
    };

    std::array<std::uint8_t, 4> header{};
    const std::size_t got = m_port->read(header.data(), header.size());
    std::copy_n(header.begin(), got, received.begin());
    receivedCount = got;
    if (got < header.size() || header[0] != kFrameStart1 || header[1] != kFrameStart2) {
        // A wrong start pair leaves the rest in the driver; the next exchange's purge drops it.
        traceReceived();
        return false;
    }

    const std::uint8_t replyLength = header[2];
    const std::uint8_t replyCode = header[3];
    const std::size_t need = static_cast<std::size_t>(replyLength) + 2; // payload and checksum, at most 257
    buffer.fill(0);
    if (m_port->clearCommError() != 0) {
        traceReceived();
        return false;
    }

    std::size_t have = m_port->read(buffer.data(), need);
    if (have < need && mode == ReadMode::CompleteLateBytes) {
        sleepMs(m_timing.shortReplyPauseMs);
        have += m_port->read(buffer.data() + have, need - have);
    }
    std::copy_n(buffer.begin(), have, received.begin() + 4);
    receivedCount += have;
    traceReceived();
    if (have < need) {
        // Still incomplete: whatever sits where the checksum should be is not one.
        buffer.fill(0);
        return false;
    }

    const std::uint16_t sent =
        static_cast<std::uint16_t>((buffer[replyLength] << 8) | buffer[static_cast<std::size_t>(replyLength) + 1]);
    // Bytes past the reply's length read as 0 for the caller.
    buffer[replyLength] = 0;
    buffer[static_cast<std::size_t>(replyLength) + 1] = 0;
    if (sent != frameChecksum(replyLength, replyCode, buffer))
        return false;

    length = replyLength;
    code = replyCode;
    if (!m_nativeByteOrder)
        convertReplyPayload(replyCode, buffer);
    return m_port->clearCommError() == 0;
}

} // namespace tarvola
