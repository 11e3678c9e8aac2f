// Feeds arbitrary values to every settings key's checked setter (the command line's "set" and,
// later, settings files go through it): a value is stored or refused, never undefined behaviour.

#include <fuzzer/FuzzedDataProvider.h>

#include "settings/BlockCodecs.h"
#include "settings/SettingsKeys.h"

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
    std::array<std::uint8_t, 28> base{};
    encodeBase(settings, base);
    std::array<std::uint8_t, 21> adv{};
    encodeAdv(settings, adv);
    std::array<std::uint8_t, 42> times{};
    encodeSetupTimes(settings, times);
    std::array<std::uint8_t, 28> sensors{};
    encodeSensorsSetup(settings, sensors);
    std::array<std::uint8_t, 30> advanced{};
    encodeAdvancedSetup(settings, advanced);
    std::array<std::uint8_t, 16> corr{};
    encodeMainCorr(settings, corr);
    MapBlock map{};
    encodeMap(settings, map);
    return 0;
}
