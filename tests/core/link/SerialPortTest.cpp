// CSerialPort over a real pseudo-terminal: opening, line settings, timed reads, per-byte writes and
// purging. (A device that goes away mid-frame is the end-to-end tests' business.)

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include "link/CSerialPort.h"
#include "platform/Clock.h"

using namespace tarvola;

namespace {

struct SerialPort : ::testing::Test {
    int master = -1;
    CSerialPort port;
    void SetUp() override
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_TRUE(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) << "no pseudo-terminal";
        port.open(::ptsname(master));
        LinkTiming t;
        t.readTimeoutConstantMs = 300;
        port.configure(t);
    }
    void TearDown() override
    {
        if (master >= 0)
            ::close(master);
    }
    // What the port sent, once `count` bytes have come or 5 s have passed.
    std::string sent(std::size_t count)
    {
        std::string s;
        const auto began = SteadyClock::now();
        char buf[256];
        for (pollfd pfd{master, POLLIN, 0}; s.size() < count && elapsedMs(began) < 5000;)
            if (::poll(&pfd, 1, 100) > 0)
                s.append(buf, static_cast<std::size_t>(std::max<ssize_t>(0, ::read(master, buf, sizeof buf))));
        return s;
    }
};

} // namespace

TEST(SerialPortOpen, MissingDeviceRaisesCodeFiveAndStaysClosed)
{
    CSerialPort port;
    try {
        port.open("/dev/tarvola-no-such-port");
        FAIL();
    } catch (const CRSError& e) {
        EXPECT_EQ(e.code(), CRSError::CantOpen);
        EXPECT_EQ(e.function(), "CSerialPort::open(/dev/tarvola-no-such-port) - errno=2");
    }
    EXPECT_FALSE(port.isOpen());
    port.close(); // harmless
    std::uint8_t b[4];
    EXPECT_THROW(port.read(b, 4), CRSError);
}

TEST_F(SerialPort, PseudoTerminalIsACleanRawLine)
{
    EXPECT_EQ(port.clearCommError(), 0u); // no error counters: a clean line
    EXPECT_EQ(port.portName(), ::ptsname(master));
    // Raw: bytes that a terminal would interpret (CR, ^C, XOFF) pass unchanged both ways.
    const std::uint8_t out[9] = {0xAA, 0x55, 0x0D, 0x03, 0x13, 0x11, 0x0A, 0x00, 0xFF};
    EXPECT_EQ(port.write(out, 9), 9u);
    EXPECT_EQ(sent(9), std::string(reinterpret_cast<const char*>(out), 9));
    ASSERT_EQ(::write(master, out, 9), 9);
    std::uint8_t in[9] = {};
    EXPECT_EQ(port.read(in, 9), 9u);
    EXPECT_EQ(0, std::memcmp(in, out, 9));
}

TEST_F(SerialPort, ReadReturnsWhatCameWithinTheTimeOut)
{
    std::uint8_t b[5];
    const auto began = SteadyClock::now();
    EXPECT_EQ(port.read(b, 4), 0u);
    const auto took = elapsedMs(began);
    EXPECT_GE(took, 300);
    EXPECT_LT(took, 3000);
    // Two bytes now, two more too late: a short count, not an error.
    ASSERT_EQ(::write(master, "\x01\x02", 2), 2);
    EXPECT_EQ(port.read(b, 4), 2u);
}

TEST_F(SerialPort, PurgeDropsWhatWaitsInTheDriver)
{
    ASSERT_EQ(::write(master, "stale!", 6), 6);
    // The first byte read shows that the write has reached the driver; the rest waits there.
    std::uint8_t b[6];
    std::size_t got = 0;
    for (const auto began = SteadyClock::now(); got == 0 && elapsedMs(began) < 5000;)
        got = port.read(b, 1);
    ASSERT_EQ(got, 1u);
    port.purgeIn();
    EXPECT_EQ(port.read(b, 5), 0u);
}
