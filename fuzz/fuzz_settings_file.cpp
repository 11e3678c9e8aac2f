// Feeds arbitrary bytes to the settings file reader as a whole file: it loads or refuses, never
// undefined behaviour, and whatever it loads must encode for the controller without trouble.

#include <cstdio>
#include <string>
#include <unistd.h>

#include "settings/BlockCodecs.h"
#include "settings/CSettingsFile.h"

using namespace tarvola;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = "/tmp/fuzz_settings_file-" + std::to_string(::getpid()) + ".xset";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    CDeviceSettings settings;
    std::string error;
    if (readSettingsRecord(path, settings, error)) {
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
    }
    // The line reader on its own, with keys that may sit in the middle of long lines.
    CSettingsFile file;
    if (file.open(path, false)) {
        std::string text;
        double number = 0;
        file.readString("m_timeStamp", text);
        file.readNumber("m_base.m_flags", number);
    }
    return 0;
}
