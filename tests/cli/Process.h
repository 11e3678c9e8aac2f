#pragma once
// Runs the real programs for end-to-end tests: the virtual controller in the background, and
// tarvola-cli to completion with its output and exit code.

#include <csignal>
#include <filesystem>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace tarvola::test {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline pid_t spawnWithPipes(const std::vector<std::string>& argv, int& outFd, int& errFd,
                            const std::vector<std::string>& extraEnv = {})
{
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0)
        throw std::runtime_error("pipe");
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_adddup2(&fa, err[1], 2);
    posix_spawn_file_actions_addclose(&fa, out[0]);
    posix_spawn_file_actions_addclose(&fa, err[0]);
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<std::string> envStore;
    for (char** e = environ; *e; ++e)
        envStore.emplace_back(*e);
    for (const auto& e : extraEnv)
        envStore.push_back(e);
    std::vector<char*> env;
    for (auto& e : envStore)
        env.push_back(e.data());
    env.push_back(nullptr);
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, args[0], &fa, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&fa);
    ::close(out[1]);
    ::close(err[1]);
    if (rc != 0)
        throw std::runtime_error("spawn " + argv[0]);
    outFd = out[0];
    errFd = err[0];
    return pid;
}

// Runs to completion, collecting both streams.
inline RunResult run(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {})
{
    int outFd, errFd;
    const pid_t pid = spawnWithPipes(argv, outFd, errFd, extraEnv);
    RunResult r;
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0)
            break;
        for (auto& f : fds) {
            if (f.fd < 0 || !(f.revents & (POLLIN | POLLHUP)))
                continue;
            char buf[4096];
            const ssize_t n = ::read(f.fd, buf, sizeof buf);
            if (n <= 0) {
                ::close(f.fd);
                f.fd = -1;
                --open;
            } else {
                (&f == &fds[0] ? r.out : r.err).append(buf, static_cast<std::size_t>(n));
            }
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

// tarvola-sim as a child process, killed when this object goes.
class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> options = {})
    {
        std::vector<std::string> argv{TARVOLA_SIM_BIN};
        argv.insert(argv.end(), options.begin(), options.end());
        m_pid = spawnWithPipes(argv, m_out, m_err);
        // The first line of its output is the terminal's path.
        std::string line;
        char c;
        while (::read(m_out, &c, 1) == 1 && c != '\n')
            line += c;
        if (line.empty())
            throw std::runtime_error("tarvola-sim printed no path");
        m_path = line;
    }
    ~SimProcess()
    {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        ::close(m_out);
        ::close(m_err);
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;
    const std::string& path() const { return m_path; }

private:
    pid_t m_pid = -1;
    int m_out = -1, m_err = -1;
    std::string m_path;
};

// tarvola-cli with these arguments (and extra environment), run to completion.
inline RunResult cli(const std::vector<std::string>& args, const std::vector<std::string>& env = {})
{
    std::vector<std::string> argv{TARVOLA_CLI_BIN};
    argv.insert(argv.end(), args.begin(), args.end());
    return run(argv, env);
}

// A private configuration home, so the tests never touch the user's last port.
struct TempHome {
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("tarvola-cli-" + std::to_string(::getpid()) + "-" + std::to_string(++counter()));
    TempHome() { std::filesystem::create_directories(dir); }
    ~TempHome() { std::filesystem::remove_all(dir); }
    std::string env() const { return "XDG_CONFIG_HOME=" + dir.string(); }
    static int& counter()
    {
        static int n = 0;
        return n;
    }
};

} // namespace tarvola::test
