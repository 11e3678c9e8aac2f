#pragma once
// The program's only way to the controller: a thin class over one serial device.
//
// A port is a device path (/dev/ttyUSB0, /dev/ttyACM0, a pseudo-terminal). The class keeps no buffer
// and knows no protocol; the frame layer drives it. Every failing system call raises a CRSError
// naming the operation (code 5 from open, 6 from everything else), so callers only look at byte
// counts and at the error mask that clearCommError returns. A read time-out is not an error: read
// returns a short count.
//
// The operations are virtual so tests can stand a scripted port in its place.

#include <cstddef>
#include <cstdint>
#include <string>

#include "errors/IError.h"
#include "link/LinkTiming.h"

namespace tarvola {

class CSerialPort : public IErrorHelper<CRSError> {
public:
    // Line error bits that clearCommError reports (the classic serial error mask).
    enum : std::uint32_t { RxOver = 0x01, Overrun = 0x02, Parity = 0x04, Frame = 0x08, Break = 0x10 };

    CSerialPort() = default;
    ~CSerialPort() override;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens the device for reading and writing, exclusively, and asks the driver for low-latency
    // delivery (never a reason to fail). Raises code 5 with "CSerialPort::open(<path>) - errno=<n>"
    // on failure and leaves the port closed; lastOpenError() then tells why.
    virtual void open(const std::string& path);
    // The errno of the last open that failed (EACCES for a device this user may not open); 0 after
    // an open that succeeded.
    int lastOpenError() const { return m_lastOpenError; }
    // Closes the port; harmless when it is not open. Never raises.
    virtual void close();
    bool isOpen() const { return m_fd >= 0; }
    // The path of the last successful open; kept after close.
    const std::string& portName() const { return m_portName; }

    // Sets the controller's line: 38400 baud, 8 data bits, no parity, one stop bit, raw, no flow
    // control, DTR and RTS de-asserted, and the read time-out of `timing`. A device without modem
    // lines (a pseudo-terminal) is fine. Raises code 6 on failure.
    virtual void configure(const LinkTiming& timing);

    // Reads up to count bytes, waiting at most count * perByte + constant ms in all. Returns the number
    // read. Raises code 6 when the device fails (for example, it was unplugged).
    virtual std::size_t read(std::uint8_t* buffer, std::size_t count);
    // Writes the bytes one system call per byte, in order. Returns count. Raises code 6 on the first
    // byte that fails, which ends the write.
    virtual std::size_t write(const std::uint8_t* buffer, std::size_t count);
    // Discards whatever the driver holds on the receive side. Raises code 6 on failure.
    virtual void purgeIn();
    // Returns the line errors (mask above) seen since the last call, and forgets them; 0 on a clean
    // line. A device without error counters reports a clean line. Never raises.
    virtual std::uint32_t clearCommError();

private:
    [[noreturn]] void raiseIo(const std::string& operation, int err, std::uint32_t line);
    void snapshotCounters();
    static void requestLowLatency(int fd);

    int m_fd = -1;
    std::string m_portName;
    int m_lastOpenError = 0;
    std::uint32_t m_timeoutConstantMs = 1000;
    std::uint32_t m_timeoutPerByteMs = 1;
    // Driver error counters at the last clearCommError.
    struct Counters {
        int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
    } m_counters;
    bool m_hasCounters = false;
};

} // namespace tarvola
