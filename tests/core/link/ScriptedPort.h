#pragma once
// A serial port whose far end is a script: what the tool writes is recorded, and each read call first
// lets the next scripted chunk "arrive", then hands out what has arrived. Lets the exchange logic be
// tested byte for byte and without waiting for time-outs.

#include <deque>
#include <vector>

#include "link/CSerialPort.h"

namespace tarvola::test {

class ScriptedPort : public CSerialPort {
public:
    std::vector<std::uint8_t> written;
    int purges = 0;
    int reads = 0;
    std::vector<std::uint8_t> available;          // arrived, not yet read
    std::deque<std::vector<std::uint8_t>> chunks; // arrive one per read call
    std::deque<std::uint32_t> lineErrors;         // successive clearCommError results (then 0)
    bool failWrites = false;

    void open(const std::string&) override {}
    void close() override {}
    void configure(const LinkTiming&) override {}

    std::size_t read(std::uint8_t* buffer, std::size_t count) override
    {
        ++reads;
        if (!chunks.empty()) {
            available.insert(available.end(), chunks.front().begin(), chunks.front().end());
            chunks.pop_front();
        }
        const std::size_t n = std::min(count, available.size());
        std::copy_n(available.begin(), n, buffer);
        available.erase(available.begin(), available.begin() + static_cast<std::ptrdiff_t>(n));
        return n;
    }
    std::size_t write(const std::uint8_t* buffer, std::size_t count) override
    {
        for (std::size_t i = 0; i < count; ++i) {
            if (failWrites)
                throw CRSError(CRSError::CantReadWrite, "CSerialPort::write() - errno=5", __LINE__, "serialport");
            written.push_back(buffer[i]);
        }
        return count;
    }
    void purgeIn() override
    {
        ++purges;
        available.clear();
    }
    std::uint32_t clearCommError() override
    {
        if (lineErrors.empty())
            return 0;
        const auto e = lineErrors.front();
        lineErrors.pop_front();
        return e;
    }
};

// A whole frame with a correct checksum.
inline std::vector<std::uint8_t> frame(std::uint8_t code, std::vector<std::uint8_t> payload)
{
    std::vector<std::uint8_t> f{0xAA, 0x55, static_cast<std::uint8_t>(payload.size()), code};
    std::uint32_t sum = payload.size() + code + 1;
    for (auto b : payload) {
        f.push_back(b);
        sum += b;
    }
    f.push_back(static_cast<std::uint8_t>((sum >> 8) & 0xFF));
    f.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    return f;
}

} // namespace tarvola::test
