#include "obd/COBDCodes.h"

#include <cstdio>

namespace tarvola {

namespace {
struct CodeEntry {
    std::uint16_t code;
    const char* description;
};

// Kept as data beside the language files; the build compiles it in, so the table is there
// wherever the program is installed.
constexpr CodeEntry kCodes[] = {
#include "obd/TroubleCodes.inc"
};

std::string defaultText(std::uint16_t code)
{
    return troubleCodeName(code) + "  UNKNOWN ";
}
} // namespace

std::string troubleCodeName(std::uint16_t code)
{
    static constexpr char kLetters[] = {'P', 'C', 'B', 'U'};
    char text[8];
    std::snprintf(text, sizeof text, "%c%04X", kLetters[code >> 14], static_cast<unsigned>(code & 0x3FFF));
    return text;
}

COBDCodes::COBDCodes()
{
    for (const auto& e : kCodes)
        m_table.emplace(e.code, troubleCodeName(e.code) + "   " + e.description);
}

const COBDCodes& COBDCodes::instance()
{
    static const COBDCodes codes;
    return codes;
}

const std::string* COBDCodes::find(std::uint16_t code) const
{
    const auto it = m_table.find(code);
    return it == m_table.end() ? nullptr : &it->second;
}

std::string COBDCodes::codeText(std::uint16_t code) const
{
    if ((code & 0x0F00) == 0) {
        const std::string* text = find(static_cast<std::uint16_t>(code | 0x0100));
        return text ? defaultText(code) + " " + *text : defaultText(code);
    }
    const std::string* text = find(code);
    return text ? *text : defaultText(code);
}

std::string troubleCodeText(std::uint16_t code)
{
    return COBDCodes::instance().codeText(code);
}

} // namespace tarvola
