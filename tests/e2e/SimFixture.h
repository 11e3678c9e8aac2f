#pragma once
// A device connected to the virtual controller over a real pseudo-terminal, with a shortened timing
// record so that retries and time-outs stay quick.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "TestTiming.h"
#include "VirtualController.h"
#include "device/CLPGDevice.h"

namespace tarvola::test {

class RecordingPrompt : public IUserPrompt {
public:
    std::vector<std::string> messages;
    bool answer = false;
    void information(const std::string& t) override { messages.push_back(t); }
    void warning(const std::string& t) override { messages.push_back(t); }
    void error(const std::string& t) override { messages.push_back(t); }
    bool yesNo(const std::string& t) override
    {
        messages.push_back(t);
        return answer;
    }
    int pumps = 0;
    std::function<void()> onPump;  // what a test does while a long procedure waits
    void pumpEvents() override
    {
        ++pumps;
        if (onPump)
            onPump();
    }
};


// Waits for a condition with a deadline generous enough for a loaded machine or a sanitizer build.
template <class Condition>
bool eventually(Condition condition, std::chrono::milliseconds pace = std::chrono::milliseconds(5),
                std::chrono::milliseconds deadline = std::chrono::seconds(30))
{
    const auto until = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(pace);
    }
    return true;
}

// The quick timing with fewer attempts and a shorter read time-out, for tests of failing exchanges.
inline LinkTiming failFast(int attempts = 2, std::uint32_t readTimeoutMs = 100)
{
    LinkTiming t = quickTiming();
    t.attempts = attempts;
    t.readTimeoutConstantMs = readTimeoutMs;
    return t;
}

inline std::string tempConfigPath(const std::string& tag)
{
    return (std::filesystem::temp_directory_path() /
            ("tarvola-test-" + std::to_string(::getpid()) + "-" + tag + "/TARVOLA.conf"))
        .string();
}

class SimLink : public ::testing::Test {
protected:
    RecordingPrompt prompt;
    std::unique_ptr<sim::VirtualController> sim;
    std::unique_ptr<CLPGDevice> device;
    std::string path;

    // Starts a controller with these options and connects a device with this timing.
    void start(sim::SimOptions options = {}, LinkTiming timing = quickTiming(), bool connect = true)
    {
        sim = std::make_unique<sim::VirtualController>(options);
        path = sim->start();
        device = std::make_unique<CLPGDevice>(prompt, timing, AppConfig(tempConfigPath("link")));
        if (connect) {
            ASSERT_TRUE(device->openPort(path)) << "no answer on " << path;
        }
        sim->clearReceived();
    }
    void TearDown() override
    {
        device.reset();
        if (sim)
            sim->stop();
        std::error_code ec;
        std::filesystem::remove_all(std::filesystem::path(tempConfigPath("link")).parent_path(), ec);
    }

    // A folder of the test's own, removed with it.
    static std::filesystem::path scratch()
    {
        const auto d = std::filesystem::path(tempConfigPath("link")).parent_path() / "files";
        std::filesystem::create_directories(d);
        return d;
    }
    // One live sample polled over the line.
    CDiag poll()
    {
        DiagPayload payload{};
        EXPECT_EQ(device->pollDiagnostics(payload), PollStatus::Read);
        CDiag s;
        std::copy(payload.begin(), payload.end(), s.m_bytes.begin());
        return s;
    }
    // Frames of one code (and, for control requests, one sub-code) since the last clear.
    int count(std::uint8_t code, int sub = -1) const
    {
        int n = 0;
        for (const auto& f : frames())
            n += f.size() > 4 && f[3] == code && (sub < 0 || f[4] == sub);
        return n;
    }
    // The requests since the last clear as steps: "c<sub>" for control requests, "map" for the memory
    // traffic of the map block, "w<code>" for the rest; live polls are left out (they only pace the
    // waits) and a repeated request counts once.
    std::vector<std::string> steps() const
    {
        std::vector<std::string> out;
        for (const auto& f : frames()) {
            const bool control = f[3] == 2;
            if (control && f[4] == 6)
                continue;
            const auto s = f[3] == 5 || (control && f[4] == 11) ? "map"
                           : control                             ? "c" + std::to_string(f[4])
                                                                 : "w" + std::to_string(f[3]);
            if (out.empty() || out.back() != s)
                out.push_back(s);
        }
        return out;
    }
    // The frames the controller received since the last clear.
    std::vector<std::vector<std::uint8_t>> frames() const
    {
        std::vector<std::vector<std::uint8_t>> out;
        for (const auto& f : sim->received())
            out.push_back(f.bytes);
        return out;
    }
};

// A frame as it travels: start pair, length, code, the payload with its 16-bit fields as given, and
// the big-endian checksum.
inline std::vector<std::uint8_t> frameOf(std::uint8_t code, const std::vector<std::uint8_t>& payload)
{
    std::vector<std::uint8_t> f(payload.size() + 6);
    f[0] = 0xAA;
    f[1] = 0x55;
    f[2] = static_cast<std::uint8_t>(payload.size());
    f[3] = code;
    std::copy(payload.begin(), payload.end(), f.begin() + 4);
    unsigned sum = 1u + static_cast<unsigned>(payload.size()) + code;
    for (auto b : payload)
        sum += b;
    f[f.size() - 2] = static_cast<std::uint8_t>(sum >> 8);
    f[f.size() - 1] = static_cast<std::uint8_t>(sum & 0xFF);
    return f;
}

// A control request: sub-code and big-endian argument.
inline std::vector<std::uint8_t> controlFrame(std::uint8_t sub, std::uint16_t arg = 0)
{
    return frameOf(2, {sub, 0, static_cast<std::uint8_t>(arg >> 8), static_cast<std::uint8_t>(arg & 0xFF), 0, 0});
}

} // namespace tarvola::test
