// The pseudo-terminal the virtual controller listens on, and the thread that serves it.
//
// The server keeps one descriptor of the slave side open itself, so the tool can close and
// reopen the port without the master side seeing a hang-up. Requests are picked off the line by
// the frame parser and handed to a handler, whose reply pieces are written back either at once
// or at the pace of a 38400-baud line.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Faults.h"
#include "Frame.h"

namespace tarvola::sim {

struct Response {
    std::vector<Piece> pieces;  // nothing: stay silent
    bool vanishMidway = false;  // write half of the first piece, then close the terminal
};

class PtyServer {
public:
    using Handler = std::function<Response(const Frame&)>;

    PtyServer(Handler handler, bool pace);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Creates the terminal and starts serving; returns the slave path. Throws std::system_error
    // when the system has no pseudo-terminal to give.
    std::string start();
    // Stops serving and closes the terminal; harmless when not started or already stopped.
    void stop();
    // Closes the terminal (both sides of it the server holds) but leaves the thread idle until
    // stop(); returns once the terminal is closed.
    void vanish();

    const std::string& path() const { return path_; }
    void setPace(bool on) { pace_ = on; }

private:
    void run();
    void serve(const Frame& frame);
    bool waitUntil(Clock::time_point t);  // false when told to stop meanwhile
    bool writeAll(const std::uint8_t* data, std::size_t n);
    void closeTerminal();
    void wake();

    Handler handler_;
    std::atomic<bool> pace_;
    std::string path_;
    int master_ = -1;
    int slave_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::thread thread_;
    std::atomic<bool> stopping_{false};

    std::mutex mu_;
    std::condition_variable cv_;
    bool vanishRequested_ = false;
    bool closed_ = false;
};

}  // namespace tarvola::sim
