// Feeds arbitrary byte streams to the reply reader: whatever the "controller" sends, in whatever
// pieces, the exchange must fail or succeed cleanly and never touch memory outside its buffers.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "device/CLPGDevice.h"

using namespace tarvola;

namespace {

class FuzzPort : public CSerialPort {
public:
    explicit FuzzPort(FuzzedDataProvider& fdp) : m_fdp(fdp) {}
    void open(const std::string&) override {}
    void close() override {}
    void configure(const LinkTiming&) override {}
    std::size_t read(std::uint8_t* buffer, std::size_t count) override
    {
        // Each read hands out a piece of the stream of a length the input decides.
        const std::size_t piece = m_fdp.ConsumeIntegralInRange<std::size_t>(0, count);
        const auto bytes = m_fdp.ConsumeBytes<std::uint8_t>(piece);
        std::copy(bytes.begin(), bytes.end(), buffer);
        return bytes.size();
    }
    std::size_t write(const std::uint8_t*, std::size_t count) override { return count; }
    void purgeIn() override {}
    std::uint32_t clearCommError() override { return m_fdp.ConsumeIntegralInRange<std::uint32_t>(0, 40) == 0 ? 1 : 0; }

private:
    FuzzedDataProvider& m_fdp;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider fdp(data, size);
    CSilentPrompt prompt;
    LinkTiming timing;
    timing.shortReplyPauseMs = 0;
    timing.switchPauseMs = 0;
    timing.petrolPollPauseMs = 0;
    timing.petrolUnboundedWaitMs = 0;
    timing.demoPollPauseMs = 0;
    timing.attempts = 2;
    timing.linkCheckAttempts = 2;
    CLPGDevice device(prompt, timing, AppConfig("/nonexistent/fuzz.conf"), std::make_unique<FuzzPort>(fdp));
    if (fdp.ConsumeBool())
        device.checkLink();
    device.m_settings.m_devInfo.m_deviceID = fdp.ConsumeBool() ? 0x21 : 0;

    while (fdp.remaining_bytes() > 0) {
        switch (fdp.ConsumeIntegralInRange<int>(0, 9)) {
        case 0: {
            ExchangeBuffer b{};
            std::uint8_t len = fdp.ConsumeIntegral<std::uint8_t>();
            std::uint8_t code = fdp.ConsumeIntegral<std::uint8_t>();
            device.sendReceive(b, len, code);
            break;
        }
        case 1: {
            ExchangeBuffer b{};
            std::uint8_t len = 6, code = 2;
            device.link().exchange(b, len, code, "", CLink::ReadMode::FailShortRead);
            break;
        }
        case 2: {
            DiagPayload sample{};
            device.pollDiagnostics(sample);
            break;
        }
        case 3: {
            CPointMap map;
            device.readPetrolMap(map);
            break;
        }
        case 4: {
            MapBlock block{};
            device.readMapBlock(block);
            break;
        }
        case 5: {
            std::array<std::uint8_t, 20> request{};
            std::vector<std::uint8_t> reply;
            device.busRequest(request, reply);
            break;
        }
        case 6:
            device.readIdentity();
            break;
        case 7: {
            std::array<std::uint8_t, 42> block{};
            device.readSettingsBlock(SettingsBlock::SetupTimes, block);
            break;
        }
        case 8:
            device.checkLink();
            break;
        default: {
            device.m_settings.m_devInfo.m_injCount = fdp.ConsumeIntegralInRange<int>(0, 8);
            device.m_settings.m_base.m_emulatorDelay = fdp.ConsumeFloatingPointInRange<double>(0.0, 0.2);
            device.switchToPetrolAndWait();
            break;
        }
        }
    }
    return 0;
}
