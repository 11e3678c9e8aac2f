// CSerialPort: what the end-to-end runs over pseudo-terminals cannot show, the error of an open that
// fails and the bound of a read that times out.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "link/CSerialPort.h"
#include "platform/Clock.h"

using namespace tarvola;

// The same object then opens a real line: a failed open leaves nothing behind.
TEST(SerialPort, MissingDeviceRaisesCantOpenAndReadsEndAtTheTimeOut)
{
    CSerialPort port;
    try {
        port.open("/dev/tarvola-no-such-port");
        ADD_FAILURE();
    } catch (const CRSError& e) {
        EXPECT_EQ(e.code(), CRSError::CantOpen) << e.function();
    }
    EXPECT_FALSE(port.isOpen());
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) << "no pseudo-terminal";
    port.open(::ptsname(master));
    port.configure(LinkTiming{.readTimeoutConstantMs = 300});
    std::uint8_t b[4];
    const auto began = SteadyClock::now();
    EXPECT_EQ(port.read(b, 4), 0u);
    const auto took = elapsedMs(began);
    EXPECT_TRUE(took >= 300 && took < 3000) << took << " ms";
    ::close(master);
}
