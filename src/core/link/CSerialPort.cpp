#include "link/CSerialPort.h"

#include "link/PortAccess.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/serial.h>
#endif

namespace tarvola {

namespace {
constexpr const char* kUnit = "serialport";

bool noSuchFeature(int err)
{
    // Pseudo-terminals and some adapters have no modem lines or error counters.
    return err == ENOTTY || err == EINVAL || err == ENOSYS || err == EOPNOTSUPP;
}
} // namespace

CSerialPort::~CSerialPort()
{
    close();
}

void CSerialPort::open(const std::string& path)
{
    close();
    m_lastOpenError = 0;
    const int fd = openDevice(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        m_lastOpenError = err;
        raise(CRSError::CantOpen, "CSerialPort::open(" + path + ") - errno=" + std::to_string(err), __LINE__, kUnit);
    }
    // Not shared: a second program opening the same port would garble the exchange.
    if (::ioctl(fd, TIOCEXCL) != 0 && !noSuchFeature(errno)) {
        const int err = errno;
        ::close(fd);
        m_lastOpenError = err;
        raise(CRSError::CantOpen, "CSerialPort::open(" + path + ") - errno=" + std::to_string(err), __LINE__, kUnit);
    }
    requestLowLatency(fd);
    // Reads wait in poll(); the descriptor itself stays non-blocking so a read never hangs.
    m_fd = fd;
    m_portName = path;
    snapshotCounters();
}

void CSerialPort::requestLowLatency(int fd)
{
#if defined(__linux__) && defined(TIOCGSERIAL) && defined(ASYNC_LOW_LATENCY)
    // USB-serial adapters otherwise hold received bytes back for up to 16 ms, which adds to every
    // exchange. A device without the setting (a pseudo-terminal, some adapters) is used as it is.
    serial_struct ss{};
    if (::ioctl(fd, TIOCGSERIAL, &ss) == 0 && !(ss.flags & ASYNC_LOW_LATENCY)) {
        ss.flags |= ASYNC_LOW_LATENCY;
        (void)::ioctl(fd, TIOCSSERIAL, &ss);
    }
#else
    (void)fd;
#endif
}

void CSerialPort::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void CSerialPort::raiseIo(const std::string& operation, int err, std::uint32_t line)
{
    raise(CRSError::CantReadWrite, "CSerialPort::" + operation + " - errno=" + std::to_string(err), line, kUnit);
}

void CSerialPort::configure(const LinkTiming& timing)
{
    termios tio{};
    if (::tcgetattr(m_fd, &tio) != 0)
        raiseIo("setState()", errno, __LINE__);
    // Built from scratch, not from the driver's current state.
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | ISTRIP);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, B38400) != 0 || ::cfsetospeed(&tio, B38400) != 0)
        raiseIo("setState()", errno, __LINE__);
    if (::tcsetattr(m_fd, TCSANOW, &tio) != 0)
        raiseIo("setState()", errno, __LINE__);

    // DTR and RTS de-asserted: the interface cable draws nothing from them.
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(m_fd, TIOCMBIC, &lines) != 0 && !noSuchFeature(errno))
        raiseIo("setState()", errno, __LINE__);

    m_timeoutConstantMs = timing.readTimeoutConstantMs;
    m_timeoutPerByteMs = timing.readTimeoutPerByteMs;
}

std::size_t CSerialPort::read(std::uint8_t* buffer, std::size_t count)
{
    if (m_fd < 0)
        raiseIo("read()", EBADF, __LINE__);
    using Clock = std::chrono::steady_clock;
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(m_timeoutConstantMs + m_timeoutPerByteMs * count);
    std::size_t got = 0;
    while (got < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        pollfd pfd{m_fd, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, static_cast<int>(left));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            raiseIo("read()", errno, __LINE__);
        }
        if (ready == 0)
            break;
        const ssize_t n = ::read(m_fd, buffer + got, count - got);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        // End of file or an error with data pending: the device is gone (unplugged, the far end of a
        // pseudo-terminal closed).
        raiseIo("read()", n < 0 ? errno : EIO, __LINE__);
    }
    return got;
}

std::size_t CSerialPort::write(const std::uint8_t* buffer, std::size_t count)
{
    if (m_fd < 0)
        raiseIo("write()", EBADF, __LINE__);
    for (std::size_t i = 0; i < count; ++i) {
        for (;;) {
            const ssize_t n = ::write(m_fd, buffer + i, 1);
            if (n == 1)
                break;
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN) {
                // The driver's transmit buffer is full: wait until it drains (bounded).
                pollfd pfd{m_fd, POLLOUT, 0};
                if (::poll(&pfd, 1, static_cast<int>(m_timeoutConstantMs)) > 0)
                    continue;
                raiseIo("write()", EAGAIN, __LINE__);
            }
            raiseIo("write()", n < 0 ? errno : EIO, __LINE__);
        }
    }
    return count;
}

void CSerialPort::purgeIn()
{
    if (m_fd < 0 || ::tcflush(m_fd, TCIFLUSH) != 0)
        raiseIo("purgeIn()", m_fd < 0 ? EBADF : errno, __LINE__);
}

void CSerialPort::snapshotCounters()
{
#if defined(__linux__) && defined(TIOCGICOUNT)
    serial_icounter_struct ic{};
    m_hasCounters = m_fd >= 0 && ::ioctl(m_fd, TIOCGICOUNT, &ic) == 0;
    if (m_hasCounters)
        m_counters = {ic.frame, ic.overrun, ic.parity, ic.brk, ic.buf_overrun};
#else
    m_hasCounters = false;
#endif
}

std::uint32_t CSerialPort::clearCommError()
{
#if defined(__linux__) && defined(TIOCGICOUNT)
    if (m_fd < 0 || !m_hasCounters)
        return 0;
    serial_icounter_struct ic{};
    if (::ioctl(m_fd, TIOCGICOUNT, &ic) != 0) {
        const int err = errno;
        return noSuchFeature(err) ? 0 : static_cast<std::uint32_t>(err);
    }
    std::uint32_t mask = 0;
    if (ic.frame != m_counters.frame)
        mask |= Frame;
    if (ic.overrun != m_counters.overrun)
        mask |= Overrun;
    if (ic.parity != m_counters.parity)
        mask |= Parity;
    if (ic.brk != m_counters.brk)
        mask |= Break;
    if (ic.buf_overrun != m_counters.bufOverrun)
        mask |= RxOver;
    m_counters = {ic.frame, ic.overrun, ic.parity, ic.brk, ic.buf_overrun};
    return mask;
#else
    return 0;
#endif
}

} // namespace tarvola
