#pragma once
// A device over a scripted port, for the tests of the device and of the procedures built on it: the
// prompt keeps the boxes it was asked to show, replies are scripted frame by frame, and the requests
// sent can be read back.

#include <gtest/gtest.h>

#include "core/link/ScriptedPort.h"
#include "device/CLPGDevice.h"

namespace tarvola::test {

using Bytes = std::vector<std::uint8_t>;
inline const Bytes kAck = frame(2, {4, 0, 0, 0, 0, 0});
inline const Bytes kNak = frame(2, {0, 0, 0, 0, 0, 0});

struct RecordingPrompt : CSilentPrompt {
    std::vector<std::string> errors, plains;
    void error(const std::string& text) override { errors.push_back(text); }
    void plain(const std::string& text) override { plains.push_back(text); }
};

// No pause anywhere but a millisecond between live polls.
inline LinkTiming quickTiming()
{
    LinkTiming t;
    t.shortReplyPauseMs = t.switchPauseMs = t.petrolPollPauseMs = t.demoPetrolWaitMs = t.demoPollPauseMs = 0;
    t.pollPauseMs = 1;
    return t;
}

class ScriptedDevice : public ::testing::Test {
protected:
    RecordingPrompt prompt;
    ScriptedPort* port = new ScriptedPort;
    CLPGDevice device{prompt, quickTiming(), AppConfig("/nonexistent/x.conf"), std::unique_ptr<CSerialPort>(port)};

    // One reply per exchange: the frame arrives at the header read, nothing more at the payload read.
    void reply(const Bytes& f, int times = 1)
    {
        for (int i = 0; i < times; ++i) {
            port->chunks.push_back(f);
            port->chunks.push_back({});
        }
    }
    // Code and payload of every request written so far.
    std::vector<Bytes> requests() const
    {
        std::vector<Bytes> out;
        const auto& w = port->written;
        for (std::size_t i = 0; i + 4 <= w.size(); i += w[i + 2] + 6u)
            out.emplace_back(w.begin() + static_cast<std::ptrdiff_t>(i + 3),
                             w.begin() + static_cast<std::ptrdiff_t>(i + 4 + w[i + 2]));
        return out;
    }
};

} // namespace tarvola::test
