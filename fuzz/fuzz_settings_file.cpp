// Feeds arbitrary bytes to the settings file reader as a whole file: it loads or refuses, never
// undefined behaviour, and whatever it loads must encode for the controller without trouble.

#include <cstdio>
#include <string>
#include <unistd.h>

#include "settings/CSettingsFile.h"
#include "EncodeEveryBlock.h"

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
        encodeEveryBlock(settings);
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
