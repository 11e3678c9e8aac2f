// Feeds arbitrary files to the recording reader: every line is a record or a counted skip, never a
// crash, whatever the bytes.

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "monitor/CDiagFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = "/tmp/tarvola-fuzz-recording-" + std::to_string(::getpid()) + ".osc";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    tarvola::DiagRecording recording;
    tarvola::CDiagFile::readRecording(path, recording, 1000);
    (void)recording.problem();
    return 0;
}
