// Feeds arbitrary gateway replies to the OBD readers: the bus-reply parser, the supported mask
// and the live table that it enables, the decoding of live answers, the stored-code counts and
// the trouble-code frame walker with the code texts. None may read past the bytes given, and the
// counts they return are bounded by what arrived.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "obd/COBDCodes.h"
#include "obd/ObdLiveTable.h"
#include "obd/ObdReply.h"

using namespace tarvola;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte plays the number of codes a unit declared; the rest is the reply payload,
    // copied to a buffer of exactly its size so that any read past it is caught.
    const int declared = data[0];
    const std::size_t n = size - 1;
    std::unique_ptr<std::uint8_t[]> payload(new std::uint8_t[n ? n : 1]);
    std::copy(data + 1, data + size, payload.get());
    const auto reply = parseBusReply(std::span<const std::uint8_t>(payload.get(), n));
    if (reply.frames.size() > (n < 2 ? 0 : (n - 2) / kBusFrameRecordSize) || reply.frames.size() > reply.declaredCount)
        std::abort();

    ObdLiveTable table;
    table.applySupportedMask(supportedMaskOf(reply.frames));
    for (int round = 0; round < 3; ++round) {
        const auto batch = table.nextBatch();
        if (batch.size() > static_cast<std::size_t>(table.batchSize()))
            std::abort();
        table.decode(reply.frames);
        table.setBatchSize(declared % 6);
    }

    for (const auto& f : reply.frames) {
        const auto count = storedCodeCountOf(f);
        if (count && (*count < 0 || *count > 127))
            std::abort();
    }
    // Eight data bytes a frame hold at most four codes, a code carried over between frames included.
    const auto codes = troubleCodesOf(reply.frames, declared);
    if (codes.size() > 4 * reply.frames.size())
        std::abort();
    for (std::uint16_t code : codes)
        if (troubleCodeText(code).empty())
            std::abort();
    return 0;
}
