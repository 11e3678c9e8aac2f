#pragma once
// Shared by the language tests: temporary language files and a clean process-wide language state.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "lang/Language.h"
#include "lang/LanguageServices.h"
#include "lang/Utf16.h"

namespace tarvola::testing {

// A folder of its own under the system's temporary folder, removed with the object.
struct LangFolder {
    std::filesystem::path path;
    LangFolder()
    {
        static int serial = 0;
        path = std::filesystem::temp_directory_path() /
               ("tarvola-lang-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~LangFolder() { std::filesystem::remove_all(path); }

    // Writes `bytes` as the file `name` and returns its path.
    std::filesystem::path write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(path / name, std::ios::binary) << bytes;
        return path / name;
    }
};

// UTF-8 text as UTF-16LE bytes, with the byte-order mark unless told otherwise.
inline std::string utf16le(const std::string& utf8, bool bom = true)
{
    std::string bytes = bom ? std::string("\xFF\xFE") : std::string();
    for (char16_t u : utf8ToUtf16(utf8)) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

// Puts the process-wide language state back to what a fresh process has.
class LanguageStateTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        setCurrentLanguage(Lang::Polish);
        closeLanguageFiles();
        installMessageDictionary({});
    }
};

} // namespace tarvola::testing
