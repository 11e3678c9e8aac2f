// End to end over a real pseudo-terminal, using nothing but POSIX calls on the slave side, as
// the tool does: replies, reopening the port, test hooks, pacing, late replies and vanishing.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "Frame.h"
#include "PtyServer.h"
#include "SimTestSupport.h"
#include "VirtualController.h"
#include "WirePacing.h"

using namespace tarvola::sim;
using tarvola::sim::test::control;

namespace {

int openPort(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return fd;
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    return fd;
}

void send(int fd, std::uint8_t code, const Bytes& payload) {
    const Bytes f = encodeFrame(code, payload);
    ASSERT_EQ(::write(fd, f.data(), f.size()), static_cast<ssize_t>(f.size()));
}

// Reads until `want` bytes arrived, the time-out passed, or the line closed.
Bytes readBytes(int fd, std::size_t want, int timeoutMs, bool* closed = nullptr) {
    Bytes out;
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < want) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) break;
        std::uint8_t buf[300];
        const ssize_t n = ::read(fd, buf, std::min(sizeof buf, want - out.size()));
        if (n <= 0) {
            if (closed) *closed = true;
            break;
        }
        out.insert(out.end(), buf, buf + n);
    }
    return out;
}

// Reads one whole frame (header first, then the announced rest).
Bytes readFrame(int fd, int timeoutMs = 1000) {
    Bytes head = readBytes(fd, 4, timeoutMs);
    if (head.size() < 4) return head;
    const Bytes rest = readBytes(fd, head[2] + 2u, timeoutMs);
    head.insert(head.end(), rest.begin(), rest.end());
    return head;
}

struct PtyTest : ::testing::Test {
    void SetUp() override {}
    void TearDown() override {
        if (fd >= 0) ::close(fd);
    }
    void startWith(SimOptions o = {}) {
        sim = std::make_unique<VirtualController>(o);
        path = sim->start();
        fd = openPort(path);
        ASSERT_GE(fd, 0) << path;
    }
    std::unique_ptr<VirtualController> sim;
    std::string path;
    int fd = -1;
};

}  // namespace

TEST_F(PtyTest, AnswersTheLinkCheckAndSurvivesAReopen) {
    startWith();
    send(fd, 2, control(0xCC));
    EXPECT_EQ(readFrame(fd), encodeFrame(2, {4, 0x21, 0, 0x55, 0, 0}));
    ::close(fd);
    fd = openPort(path);  // the kept slave side means no hang-up in between
    ASSERT_GE(fd, 0);
    send(fd, 2, control(13));
    const Bytes id = readFrame(fd);
    ASSERT_GE(id.size(), 4u);
    EXPECT_EQ(id[3], 8);
    const auto got = sim->received();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].bytes, encodeFrame(2, control(0xCC)));
    EXPECT_LE(got[0].at, got[1].at);
}

TEST_F(PtyTest, PacedReplyTakesTheWireTimeOfBothFrames) {
    SimOptions o;
    o.pace = true;
    startWith(o);
    const auto begin = Clock::now();
    send(fd, 2, control(6));
    const Bytes reply = readFrame(fd);
    const double elapsed = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
    ASSERT_EQ(reply.size(), 88u);
    const double wire = std::chrono::duration<double, std::milli>(wireTime(12 + 88)).count();
    EXPECT_GE(elapsed, wire * 0.98);
    EXPECT_LE(elapsed, wire * 1.15 + 10.0) << "scheduling slack on a shared machine";
}

TEST_F(PtyTest, StopEndsServingPromptlyEvenDuringALateReply) {
    SimOptions o;
    o.fault = Fault::Late;
    startWith(o);
    send(fd, 2, control(0xCC));
    // The head of the late reply has arrived, so the server is now holding back its tail.
    ASSERT_EQ(readBytes(fd, 9, 5000).size(), 9u);
    const auto begin = Clock::now();
    sim->stop();
    EXPECT_LT(Clock::now() - begin, lateTailDelay(12) / 2);
}
