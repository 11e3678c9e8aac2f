// Feeds arbitrary bytes to the language-file reader as a whole file, then looks texts up in it: a
// damaged or hostile language file yields Polish texts or its own, never a crash.

#include <cstdint>
#include <string_view>

#include "lang/CLangFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const tarvola::CLangFile file = tarvola::CLangFile::fromBytes(bytes);
    (void)file.lookup("Brak połączenia");
    (void)file.lookup("Wersja sterownika jest nowsza niż wersja pliku firmware.\nCzy chcesz zaprogramować?");
    // The input's own first line as a key, so that matching lines are reached too.
    const auto tab = bytes.find('\t');
    if (tab != std::string_view::npos)
        (void)file.lookup(bytes.substr(0, tab));
    return 0;
}
