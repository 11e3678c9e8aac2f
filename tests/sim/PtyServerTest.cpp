// Over a real pseudo-terminal, using nothing but POSIX calls on the slave side as the tool does:
// pacing at the wire's rate, stopping during a late reply, and the tarvola-sim program's first
// line and clean stop. (Replies, reopening the port, the received frames and bad options are what
// the end-to-end and command-line tests lean on.)
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "Faults.h"
#include "SimTestSupport.h"
#include "VirtualController.h"
#include "WirePacing.h"

using namespace tarvola::sim;
using namespace tarvola::sim::test;

extern char** environ;

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

TEST(Program, PrintsThePathAndStopsCleanlyOnSigterm) {
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char bin[] = TARVOLA_SIM_BIN;
    char* argv[] = {bin, nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, bin, &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);

    // The first line is the evidence that the program is up, serving, and waiting for its signal.
    std::string line;
    char c = 0;
    pollfd p{out[0], POLLIN, 0};
    while (line.size() < 200 && ::poll(&p, 1, 10000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(out[0]);
    EXPECT_EQ(line.rfind("/dev/pts/", 0), 0u) << line;
    EXPECT_EQ(::access(line.c_str(), R_OK | W_OK), 0) << line;

    ::kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
