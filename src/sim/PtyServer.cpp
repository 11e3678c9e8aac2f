// Pseudo-terminal creation and the serving thread.
#include "PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>

#include "WirePacing.h"

namespace tarvola::sim {
namespace {

[[noreturn]] void fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

PtyServer::PtyServer(Handler handler, bool pace) : handler_(std::move(handler)), pace_(pace) {}

PtyServer::~PtyServer() { stop(); }

std::string PtyServer::start() {
    if (thread_.joinable()) return path_;
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) fail("posix_openpt");
    char name[PATH_MAX] = {};
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 || ::ptsname_r(master_, name, sizeof name) != 0) {
        const int e = errno;
        closeFd(master_);
        errno = e;
        fail("pseudo-terminal setup");
    }
    path_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        const int e = errno;
        closeFd(master_);
        errno = e;
        fail("open pseudo-terminal slave");
    }
    termios tio{};
    if (::tcgetattr(slave_, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B38400);
        ::cfsetospeed(&tio, B38400);
        ::tcsetattr(slave_, TCSANOW, &tio);
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        const int e = errno;
        closeFd(slave_);
        closeFd(master_);
        errno = e;
        fail("pipe");
    }
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];
    stopping_ = false;
    closed_ = false;
    vanishRequested_ = false;
    thread_ = std::thread([this] { run(); });
    return path_;
}

void PtyServer::wake() {
    if (wakeWrite_ >= 0) {
        const char c = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &c, 1);
    }
}

void PtyServer::stop() {
    if (!thread_.joinable()) return;
    stopping_ = true;
    wake();
    thread_.join();
    closeTerminal();
    closeFd(wakeRead_);
    closeFd(wakeWrite_);
}

void PtyServer::vanish() {
    std::unique_lock lock(mu_);
    if (!thread_.joinable() || closed_) return;
    vanishRequested_ = true;
    wake();
    cv_.wait(lock, [this] { return closed_; });
}

void PtyServer::closeTerminal() {
    {
        std::lock_guard lock(mu_);
        closeFd(slave_);
        closeFd(master_);
        closed_ = true;
    }
    cv_.notify_all();
}

bool PtyServer::waitUntil(Clock::time_point t) {
    for (;;) {
        if (stopping_) return false;
        const auto now = Clock::now();
        if (now >= t) return true;
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(t - now);
        timespec ts{static_cast<time_t>(left.count() / 1000000000), static_cast<long>(left.count() % 1000000000)};
        pollfd p{wakeRead_, POLLIN, 0};
        ::ppoll(&p, 1, &ts, nullptr);
        if (p.revents & POLLIN) return false;  // stop or vanish: abandon the reply
    }
}

bool PtyServer::writeAll(const std::uint8_t* data, std::size_t n) {
    // A tool that stops reading must not hold the server for ever: give up on this reply after
    // two seconds of a full terminal buffer.
    const auto giveUp = Clock::now() + std::chrono::seconds(2);
    while (n > 0) {
        if (stopping_ || master_ < 0) return false;
        const ssize_t w = ::write(master_, data, n);
        if (w > 0) {
            data += w;
            n -= static_cast<std::size_t>(w);
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
        if (Clock::now() >= giveUp) return false;
        pollfd p[2] = {{master_, POLLOUT, 0}, {wakeRead_, POLLIN, 0}};
        ::poll(p, 2, 20);
        if (p[1].revents & POLLIN) return false;
    }
    return true;
}

void PtyServer::serve(const Frame& frame) {
    const Response r = handler_(frame);
    if (r.pieces.empty() && !r.vanishMidway) return;
    const bool pace = pace_;
    const Clock::time_point start = pace ? std::max(Clock::now(), replyEarliest(frame.firstByteAt, frame.raw.size()))
                                         : Clock::now();
    for (std::size_t i = 0; i < r.pieces.size(); ++i) {
        const Bytes& bytes = r.pieces[i].bytes;
        const Clock::time_point pieceStart = start + r.pieces[i].delay;
        if (!waitUntil(pieceStart)) return;
        const std::size_t n = r.vanishMidway && i == 0 ? bytes.size() / 2 : bytes.size();
        if (pace) {
            for (const Chunk& c : pacedChunks(n, pieceStart)) {
                if (!waitUntil(c.at) || !writeAll(bytes.data() + c.begin, c.end - c.begin)) return;
            }
        } else if (!writeAll(bytes.data(), n)) {
            return;
        }
        if (r.vanishMidway) break;
    }
    if (r.vanishMidway) {
        // Closing the master throws away whatever the tool has not read yet. The bytes first
        // pass through the kernel's buffer into the slave's input queue, so wait until they
        // have shown up there and been read (or a short while, if the tool read them at once).
        const auto begin = Clock::now();
        bool seen = false;
        while (!stopping_) {
            int queued = 0;
            if (::ioctl(slave_, FIONREAD, &queued) != 0) break;
            seen = seen || queued > 0;
            const auto waited = Clock::now() - begin;
            if ((seen && queued == 0) || (!seen && waited > std::chrono::milliseconds(200)) ||
                waited > std::chrono::milliseconds(1500))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        closeTerminal();
    }
}

void PtyServer::run() {
    FrameParser parser;
    std::uint8_t buf[512];
    while (!stopping_) {
        bool open;
        {
            std::lock_guard lock(mu_);
            open = !closed_;
        }
        pollfd p[2] = {{wakeRead_, POLLIN, 0}, {open ? master_ : -1, POLLIN, 0}};
        ::poll(p, 2, 200);
        if (p[0].revents & POLLIN) {
            char drain[64];
            while (::read(wakeRead_, drain, sizeof drain) > 0) {
            }
            bool vanishNow = false;
            {
                std::lock_guard lock(mu_);
                vanishNow = vanishRequested_ && !closed_;
            }
            if (vanishNow) closeTerminal();
            continue;
        }
        if (!open || !(p[1].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0) {
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            // Without a slave side open the master reports a hang-up; we hold one, so this is rare.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        for (const Frame& f : parser.feed(buf, static_cast<std::size_t>(n), Clock::now())) {
            serve(f);
            std::lock_guard lock(mu_);
            if (closed_) break;
        }
    }
}

}  // namespace tarvola::sim
