#pragma once
// --trace: every frame sent and received, one line each (the format of link/FrameTrace.h): local
// time with milliseconds, the direction, the bytes in hex and the command's name.

#include <cstdio>
#include <mutex>
#include <string>

#include "device/CLPGDevice.h"

namespace tarvola::cli {

class TraceFile : public IFrameObserver {
public:
    TraceFile() = default;
    ~TraceFile() override;
    // Opens (truncates) the file; false when it cannot be created.
    bool open(const std::string& path);
    void onFrame(Direction direction, std::span<const std::uint8_t> bytes, const char* operation) override;

private:
    std::FILE* m_file = nullptr;
    std::mutex m_mutex;
};

} // namespace tarvola::cli
