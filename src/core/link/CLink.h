#pragma once
// One exchange with the controller: a request frame out, a reply frame back, under the exchange lock.
//
// The link owns the serial port, the exchange lock and the byte-order state of the line. It knows the
// frame and nothing of what the codes mean; the device builds its commands on exchange() and retries
// them itself (nothing here retries). Port failures (CRSError) pass through to the caller.
//
// Threads: any thread may call exchange(); the lock makes each exchange atomic. The lock is not held
// between two exchanges.

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "link/CSerialPort.h"
#include "link/Frame.h"
#include "link/LinkTiming.h"
#include "msglib/CMutex.h"

namespace tarvola {

// Sees every frame that goes over the wire, for traces. Called with the exchange lock held, from
// whichever thread runs the exchange. The observer must outlive the link, or be unset before it goes.
class IFrameObserver {
public:
    enum class Direction { Sent, Received };
    virtual ~IFrameObserver() = default;
    // `bytes` is the whole frame as it travelled (a received frame may be incomplete when the
    // exchange failed); `operation` names the command.
    virtual void onFrame(Direction direction, std::span<const std::uint8_t> bytes, const char* operation) = 0;
};

class CLink {
public:
    // A null port stands for a real serial port.
    explicit CLink(LinkTiming timing = LinkTiming::standard(), std::unique_ptr<CSerialPort> port = nullptr);
    CLink(const CLink&) = delete;
    CLink& operator=(const CLink&) = delete;

    // How a short reply is handled: one more read after a short pause (commands), or a failure at once
    // (the live poll, which simply polls again).
    enum class ReadMode { CompleteLateBytes, FailShortRead };

    // Sends LEN = length, CODE = code and the first `length` bytes of buffer; on success returns true
    // with length, code and buffer holding the reply (payload in PC order, the rest of the buffer 0).
    // False on a missing, short, misframed or corrupted reply, or a line error.
    bool exchange(ExchangeBuffer& buffer, std::uint8_t& length, std::uint8_t& code, const char* operation,
                  ReadMode mode = ReadMode::CompleteLateBytes);

    // Closes whatever is open, then opens and configures `path`, under the exchange lock. Raises
    // CRSError when the port cannot be opened or configured (the port is then closed).
    void reopen(const std::string& path);
    // Closes the port under the exchange lock. Never raises.
    void close();

    // The controller's byte order: multi-byte fields travel big-endian once the link check has found
    // our controller; before that the PC's order is used as it is.
    bool nativeByteOrder() const { return m_nativeByteOrder; }
    void setNativeByteOrder(bool native) { m_nativeByteOrder = native; }

    const LinkTiming& timing() const { return m_timing; }
    CSerialPort& port() { return *m_port; }
    // The observer must outlive the link or be reset to null first; null stops tracing.
    // Taken under the exchange lock, so no exchange is tracing while the observer changes.
    void setFrameObserver(IFrameObserver* observer)
    {
        CMutexGuard guard(m_exchangeLock);
        m_observer = observer;
    }

private:
    void trace(IFrameObserver::Direction direction, std::span<const std::uint8_t> bytes, const char* operation);

    LinkTiming m_timing;
    std::unique_ptr<CSerialPort> m_port;
    IFrameObserver* m_observer = nullptr;
    std::atomic<bool> m_nativeByteOrder{true};
    CMutex m_exchangeLock;
};

} // namespace tarvola
