// Feeds arbitrary values to every settings key's checked setter (the command line's "set" and,
// later, settings files go through it): a value is stored or refused, never undefined behaviour.

#include <fuzzer/FuzzedDataProvider.h>

#include "settings/SettingsKeys.h"
#include "EncodeEveryBlock.h"

using namespace tarvola;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider fdp(data, size);
    const auto& keys = settingsKeys();
    CDeviceSettings settings;
    while (fdp.remaining_bytes() > 0) {
        const auto& key = keys[fdp.ConsumeIntegralInRange<std::size_t>(0, keys.size() - 1)];
        const std::string value = fdp.ConsumeRandomLengthString(64);
        std::string error;
        key.set(settings, value, error);
        (void)key.text(settings);
    }
    // Whatever was accepted must encode without trouble.
    encodeEveryBlock(settings);
    return 0;
}
