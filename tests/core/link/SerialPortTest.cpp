// CSerialPort over a real pseudo-terminal: opening, line settings, timed reads, per-byte writes,
// purging, and a device that goes away.

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include "link/CSerialPort.h"
#include "platform/Clock.h"

using namespace tarvola;

namespace {
struct Pty {
    int master = -1;
    std::string slave;
    Pty()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            throw std::runtime_error("no pseudo-terminal");
        slave = ::ptsname(master);
    }
    ~Pty() { closeMaster(); }
    void closeMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    std::string readAll()
    {
        std::string s;
        char buf[256];
        ::fcntl(master, F_SETFL, O_NONBLOCK);
        for (int i = 0; i < 20; ++i) {
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0)
                s.append(buf, static_cast<std::size_t>(n));
            else
                sleepMs(5);
        }
        return s;
    }
};

LinkTiming shortTimeout()
{
    LinkTiming t;
    t.readTimeoutConstantMs = 120;
    return t;
}
} // namespace

TEST(SerialPort, MissingDeviceRaisesCodeFiveAndStaysClosed)
{
    CSerialPort port;
    try {
        port.open("/dev/tarvola-no-such-port");
        FAIL();
    } catch (const CRSError& e) {
        EXPECT_EQ(e.code(), CRSError::CantOpen);
        EXPECT_EQ(e.function(), "CSerialPort::open(/dev/tarvola-no-such-port) - errno=2");
        EXPECT_EQ(e.description(), "COM port error - can't open.");
    }
    EXPECT_FALSE(port.isOpen());
    port.close(); // harmless
    std::uint8_t b[4];
    EXPECT_THROW(port.read(b, 4), CRSError);
}

TEST(SerialPort, PseudoTerminalConfiguresAsACleanRawLine)
{
    Pty pty;
    CSerialPort port;
    port.open(pty.slave);
    EXPECT_NO_THROW(port.configure(shortTimeout())); // no modem lines: not an error
    EXPECT_EQ(port.clearCommError(), 0u);            // no error counters: a clean line
    EXPECT_EQ(port.portName(), pty.slave);

    // Raw: bytes that a terminal would interpret (CR, ^C, XOFF) pass unchanged both ways.
    const std::uint8_t out[9] = {0xAA, 0x55, 0x0D, 0x03, 0x13, 0x11, 0x0A, 0x00, 0xFF};
    EXPECT_EQ(port.write(out, 9), 9u);
    EXPECT_EQ(pty.readAll(), std::string(reinterpret_cast<const char*>(out), 9));
    ASSERT_EQ(::write(pty.master, out, 9), 9);
    std::uint8_t in[9] = {};
    EXPECT_EQ(port.read(in, 9), 9u);
    EXPECT_EQ(0, std::memcmp(in, out, 9));
}

TEST(SerialPort, ReadReturnsWhatCameWithinTheTimeOut)
{
    Pty pty;
    CSerialPort port;
    port.open(pty.slave);
    port.configure(shortTimeout());
    std::uint8_t b[4];
    auto began = SteadyClock::now();
    EXPECT_EQ(port.read(b, 4), 0u);
    const auto took = elapsedMs(began);
    EXPECT_GE(took, 120);
    EXPECT_LT(took, 600);

    // Two bytes now, two more too late: a short count, not an error.
    ASSERT_EQ(::write(pty.master, "\x01\x02", 2), 2);
    EXPECT_EQ(port.read(b, 4), 2u);
}

TEST(SerialPort, PurgeDropsWhatWaitsInTheDriver)
{
    Pty pty;
    CSerialPort port;
    port.open(pty.slave);
    port.configure(shortTimeout());
    ASSERT_EQ(::write(pty.master, "stale", 5), 5);
    sleepMs(20);
    port.purgeIn();
    std::uint8_t b[5];
    EXPECT_EQ(port.read(b, 5), 0u);
}

TEST(SerialPort, VanishedDeviceRaisesCodeSix)
{
    Pty pty;
    CSerialPort port;
    port.open(pty.slave);
    port.configure(shortTimeout());
    pty.closeMaster();
    std::uint8_t b[4];
    try {
        port.read(b, 4);
        FAIL() << "read from a hung-up terminal";
    } catch (const CRSError& e) {
        EXPECT_EQ(e.code(), CRSError::CantReadWrite);
        EXPECT_EQ(e.function().rfind("CSerialPort::read()", 0), 0u);
    }
}
