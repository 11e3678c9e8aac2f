#pragma once
// A device connected to the virtual controller over a real pseudo-terminal, with a shortened timing
// record so that retries and time-outs stay quick.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

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

    // The frames the controller received since the last clear.
    std::vector<std::vector<std::uint8_t>> frames() const
    {
        std::vector<std::vector<std::uint8_t>> out;
        for (const auto& f : sim->received())
            out.push_back(f.bytes);
        return out;
    }
};

// A control request frame as it must appear on the wire: sub-code, big-endian argument, checksum.
inline std::vector<std::uint8_t> controlFrame(std::uint8_t sub, std::uint16_t arg = 0)
{
    std::vector<std::uint8_t> f{0xAA, 0x55, 6, 2, sub, 0, static_cast<std::uint8_t>(arg >> 8),
                                static_cast<std::uint8_t>(arg & 0xFF), 0, 0};
    const unsigned sum = 6 + 2 + sub + (arg >> 8) + (arg & 0xFF) + 1;
    f.push_back(static_cast<std::uint8_t>(sum >> 8));
    f.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    return f;
}

} // namespace tarvola::test
