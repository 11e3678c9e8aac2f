#include "SimProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#if defined(__linux__)
#include <sys/prctl.h>
#endif

namespace tarvola::bench {

namespace {

// Waits up to `timeoutMs` for the child to end; true when it has been reaped.
bool reap(pid_t pid, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno == ECHILD))
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace

SimProcess::~SimProcess()
{
    stop();
}

std::string SimProcess::start(const std::string& binary, const std::vector<std::string>& args, int timeoutMs,
                              std::string& error)
{
    stop();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return {};
    }
    std::vector<std::string> argvStrings;
    argvStrings.push_back(binary);
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : argvStrings)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        error = std::string("fork: ") + std::strerror(errno);
        ::close(fds[0]);
        ::close(fds[1]);
        return {};
    }
    if (pid == 0) {
#if defined(__linux__)
        // Should the benchmark die without cleaning up, the controller goes with it.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(127);
#else
        (void)parent;
#endif
        ::dup2(fds[1], STDOUT_FILENO); // dup2 clears close-on-exec on the copy
        ::execv(binary.c_str(), argv.data());
        const char msg[] = "tarvola-bench: cannot run the virtual controller\n";
        [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, msg, sizeof msg - 1);
        ::_exit(127);
    }
    ::close(fds[1]);
    m_pid = pid;
    m_stdout = fds[0];

    // The first line is the terminal's path; anything after it is not ours to read.
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                                std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            error = "the virtual controller printed no terminal path within " + std::to_string(timeoutMs) + " ms";
            break;
        }
        pollfd p{m_stdout, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0) {
            error = std::string("poll: ") + std::strerror(errno);
            break;
        }
        if (ready == 0)
            continue; // the deadline check above ends the wait
        char c = 0;
        const ssize_t n = ::read(m_stdout, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = "the virtual controller ended before printing its terminal path";
            break;
        }
        if (c == '\n') {
            if (line.empty()) {
                error = "the virtual controller printed an empty first line";
                break;
            }
            return line;
        }
        line.push_back(c);
    }
    stop();
    return {};
}

void SimProcess::stop()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        if (!reap(m_pid, 3000)) {
            ::kill(m_pid, SIGKILL);
            reap(m_pid, 3000);
        }
        m_pid = -1;
    }
    if (m_stdout >= 0) {
        ::close(m_stdout);
        m_stdout = -1;
    }
}

} // namespace tarvola::bench
