// Over a real pseudo-terminal, using nothing but POSIX calls on the slave side as the tool does:
// pacing at the wire's rate and stopping during a late reply. (Replies, reopening the port, the received frames and bad options are what
// the end-to-end and command-line tests lean on.)
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "Faults.h"
#include "SimTestSupport.h"
#include "VirtualController.h"
#include "WirePacing.h"

using namespace tarvola::sim;
using namespace tarvola::sim::test;

namespace {

// A virtual controller serving its terminal, opened as the tool opens its port: raw, and not as
// the controlling terminal.
struct Served {
    explicit Served(const SimOptions& o) : sim(o), fd(::open(sim.start().c_str(), O_RDWR | O_NOCTTY)) {
        termios t{};
        ::tcgetattr(fd, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
    }
    ~Served() { ::close(fd); }
    bool send(std::uint8_t code, const Bytes& payload) {
        const Bytes f = encodeFrame(code, payload);
        return ::write(fd, f.data(), f.size()) == static_cast<ssize_t>(f.size());
    }
    // Reads until `want` bytes arrived, the time-out passed, or the line closed.
    Bytes read(std::size_t want, int timeoutMs) {
        Bytes out;
        const auto end = Clock::now() + ms(timeoutMs);
        while (out.size() < want) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            pollfd p{fd, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) break;
            std::uint8_t buf[300];
            const ssize_t n = ::read(fd, buf, std::min(sizeof buf, want - out.size()));
            if (n <= 0) break;
            out.insert(out.end(), buf, buf + n);
        }
        return out;
    }
    VirtualController sim;
    int fd;
};

}  // namespace

TEST(Pty, PacedReplyTakesTheWireTimeOfBothFrames) {
    SimOptions o;
    o.pace = true;
    Served s(o);
    ASSERT_GE(s.fd, 0);
    const auto begin = Clock::now();
    ASSERT_TRUE(s.send(2, control(6)));
    const Bytes reply = s.read(88, 2000);
    const double elapsed = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
    ASSERT_EQ(reply.size(), 88u);
    // Never sooner than the wire allows. How little later is not asked here: on a loaded machine
    // the scheduler decides that; the schedule itself, without drift, is the pacing test's part.
    const double wire = std::chrono::duration<double, std::milli>(wireTime(12 + 88)).count();
    EXPECT_GE(elapsed, wire * 0.98);
}

TEST(Pty, StopEndsServingPromptlyEvenDuringALateReply) {
    SimOptions o;
    o.fault = Fault::Late;
    Served s(o);
    ASSERT_GE(s.fd, 0);
    ASSERT_TRUE(s.send(2, control(0xCC)));
    // The head of the late reply has arrived, so the server is now holding back its tail.
    ASSERT_EQ(s.read(9, 5000).size(), 9u);
    const auto begin = Clock::now();
    s.sim.stop();
    EXPECT_LT(Clock::now() - begin, lateTailDelay(12) / 2);
}
