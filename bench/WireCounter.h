#pragma once
// Counts what goes over the wire while an operation runs: request frames, bytes both ways, and the
// requests of each operation name, which tell how many prescribed pauses the operation took.

#include <cstddef>
#include <map>
#include <string>

#include "device/CLPGDevice.h"

namespace tarvola::bench {

class WireCounter : public IFrameObserver {
public:
    void onFrame(Direction direction, std::span<const std::uint8_t> frame, const char* operation) override
    {
        if (direction == Direction::Sent) {
            ++exchanges;
            ++requestsOf[operation ? operation : ""];
        }
        bytes += frame.size();
    }
    void reset()
    {
        exchanges = bytes = 0;
        requestsOf.clear();
    }
    std::size_t requests(const std::string& operation) const
    {
        const auto it = requestsOf.find(operation);
        return it == requestsOf.end() ? 0 : it->second;
    }

    std::size_t exchanges = 0;
    std::size_t bytes = 0;
    std::map<std::string, std::size_t> requestsOf;
};

} // namespace tarvola::bench
