// Wire timing arithmetic for the paced mode.
#include "WirePacing.h"

#include <algorithm>

namespace tarvola::sim {

Clock::time_point replyEarliest(Clock::time_point requestFirstByte, std::size_t requestBytes) {
    return requestFirstByte + std::chrono::duration_cast<Clock::duration>(wireTime(requestBytes));
}

std::vector<Chunk> pacedChunks(std::size_t bytes, Clock::time_point start, std::size_t chunkBytes) {
    std::vector<Chunk> chunks;
    chunkBytes = std::max<std::size_t>(chunkBytes, 1);
    for (std::size_t begin = 0; begin < bytes; begin += chunkBytes) {
        const std::size_t end = std::min(bytes, begin + chunkBytes);
        chunks.push_back({start + std::chrono::duration_cast<Clock::duration>(wireTime(end)), begin, end});
    }
    return chunks;
}

}  // namespace tarvola::sim
