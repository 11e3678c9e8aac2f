#pragma once
// What the end-to-end tests of tarvola-cli share: tarvola-sim and tarvola-cli run as programs, a
// private home for every test, and waiting for what a running program shows.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace tarvola::test {

using namespace testing;
namespace fs = std::filesystem;

inline fs::path uniqueTempPath(const std::string& what)
{
    static int count = 0;
    return fs::temp_directory_path() /
           ("tarvola-" + what + "-" + std::to_string(::getpid()) + "-" + std::to_string(++count));
}

inline std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline std::vector<std::string> prepend(std::vector<std::string> first, const std::vector<std::string>& rest)
{
    first.insert(first.end(), rest.begin(), rest.end());
    return first;
}

inline void expectAll(const std::string& text, std::initializer_list<std::string> parts)
{
    for (const auto& part : parts)
        EXPECT_THAT(text, HasSubstr(part));
}

// Checks `done` every 10 ms until it holds (true) or 20 s have passed (false): a test waits for
// what a running program shows, never for a guessed time, which a busy machine overruns.
template <class Done>
bool waitFor(Done done)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return done();
}

// A program whose standard output and error go to files, so what it printed so far can be read
// while it runs. Terminated (SIGTERM) and waited for when the object goes.
class Child {
public:
    explicit Child(std::vector<std::string> argv, const std::vector<std::string>& extraEnv = {})
        : m_out(uniqueTempPath("out").string()), m_err(uniqueTempPath("err").string())
    {
        // The test's variables come first, as getenv takes the first: the user's homes never win.
        std::vector<std::string> env = extraEnv;
        for (char** e = environ; *e; ++e)
            env.emplace_back(*e);
        const auto pointers = [](std::vector<std::string>& texts) {
            std::vector<char*> p;
            for (auto& t : texts)
                p.push_back(t.data());
            p.push_back(nullptr);
            return p;
        };
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&files, 2, m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (::posix_spawn(&m_pid, argv[0].c_str(), &files, nullptr, pointers(argv).data(), pointers(env).data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&files);
        EXPECT_GT(m_pid, 0) << "cannot start " << argv[0];
    }
    ~Child()
    {
        signal(SIGTERM);
        wait();
        fs::remove(m_out);
        fs::remove(m_err);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    void signal(int number) const { if (m_pid > 0) ::kill(m_pid, number); }
    // Waits for the end: the exit code, or 128 + the signal that ended it.
    int wait()
    {
        int status = 0;
        if (m_pid > 0 && ::waitpid(m_pid, &status, 0) == m_pid)
            m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        m_pid = -1;
        return m_exitCode;
    }
    std::string out() const { return readFile(m_out); }
    std::string err() const { return readFile(m_err); }

private:
    pid_t m_pid = -1;
    int m_exitCode = -1;
    std::string m_out, m_err;
};

struct RunResult { int exitCode = -1; std::string out, err; };

inline RunResult cli(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv = {})
{
    Child child(prepend({TARVOLA_CLI_BIN}, args), extraEnv);
    return {child.wait(), child.out(), child.err()}; // in this order: a braced list is evaluated left to right
}

// The standard output of a run that has to succeed.
inline std::string outputOf(const RunResult& r)
{
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.out;
}

// A private configuration and data home, so that no test touches the user's last port or settings.
struct TempHome {
    fs::path dir = uniqueTempPath("home");
    TempHome() { fs::create_directories(dir); }
    ~TempHome() { fs::remove_all(dir); }
    std::vector<std::string> env() const { return {"XDG_CONFIG_HOME=" + dir.string(), "XDG_DATA_HOME=" + dir.string()}; }
};

// tarvola-sim (the first line it prints is its terminal's path), a private home, and tarvola-cli
// run against both.
struct SimCli {
    explicit SimCli(const std::vector<std::string>& simOptions = {}) : sim(prepend({TARVOLA_SIM_BIN}, simOptions))
    {
        EXPECT_TRUE(waitFor([&] { return sim.out().find('\n') != std::string::npos; })) << sim.err();
        path = sim.out().substr(0, sim.out().find('\n'));
    }
    RunResult operator()(const std::vector<std::string>& args) const
    {
        return cli(prepend({"--port", path}, args), home.env());
    }
    Child sim;
    std::string path;
    TempHome home;
};

} // namespace tarvola::test
