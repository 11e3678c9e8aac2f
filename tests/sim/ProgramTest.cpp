// The tarvola-sim program itself: first line, serving, clean stop.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

#include "Frame.h"

using namespace tarvola::sim;

extern char** environ;

namespace {

// Makes sure a failed expectation never leaves the program running behind the test.
struct ChildGuard {
    pid_t pid = 0;
    ~ChildGuard() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
};

}  // namespace

TEST(Program, PrintsThePathServesAndStopsCleanlyOnSigterm) {
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char bin[] = TARVOLA_SIM_BIN;
    char seed[] = "--seed";
    char seedValue[] = "3";
    char* argv[] = {bin, seed, seedValue, nullptr};
    ChildGuard child;
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, bin, &actions, nullptr, argv, environ), 0);
    child.pid = pid;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);

    std::string line;
    char c = 0;
    pollfd p{out[0], POLLIN, 0};
    while (line.size() < 200 && ::poll(&p, 1, 3000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(out[0]);
    EXPECT_EQ(line.rfind("/dev/pts/", 0), 0u) << line;

    const int fd = ::open(line.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    const Bytes req = encodeFrame(2, {0xCC, 0, 0, 0, 0, 0});
    ASSERT_EQ(::write(fd, req.data(), req.size()), 12);
    Bytes reply;
    pollfd q{fd, POLLIN, 0};
    std::uint8_t buf[64];
    while (reply.size() < 12 && ::poll(&q, 1, 1000) > 0) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) break;
        reply.insert(reply.end(), buf, buf + n);
    }
    ::close(fd);
    EXPECT_EQ(reply, encodeFrame(2, {4, 0x21, 0, 0x55, 0, 0}));

    ::kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    child.pid = 0;
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(Program, BadOptionExitsWithTwo) {
    const std::string cmd = std::string(TARVOLA_SIM_BIN) + " --injectors 12 2>/dev/null";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
}
