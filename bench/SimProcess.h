#pragma once
// The virtual controller as a child process: started with the given arguments, its pseudo-terminal
// path taken from the first line it prints, stopped (SIGTERM, then SIGKILL) when the object goes.

#include <string>
#include <sys/types.h>
#include <vector>

namespace tarvola::bench {

class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts `binary` with `args` and waits up to `timeoutMs` for the first line of its standard output.
    // Returns the terminal path, or "" with `error` set (the child is then already stopped).
    std::string start(const std::string& binary, const std::vector<std::string>& args, int timeoutMs,
                      std::string& error);
    // Idempotent; waits for the child so no zombie is left.
    void stop();
    pid_t pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    int m_stdout = -1;
};

} // namespace tarvola::bench
