#include "monitor/DeviceErrorCategories.h"

#include <charconv>

namespace tarvola {

CDeviceErrorBase::CDeviceErrorBase(const DeviceErrorCategoryDef& definition, TextTranslator translator)
    : m_definition(definition), m_translate(std::move(translator))
{
    m_texts.reserve(definition.bitTexts.size());
    for (const char* text : definition.bitTexts)
        m_texts.push_back(m_translate(text));
}

std::string CDeviceErrorBase::bitText(std::uint8_t bit) const
{
    if (bit < m_texts.size())
        return m_texts[bit];
    char hex[4] = {};
    const auto end = std::to_chars(hex, hex + sizeof hex, (1u << (bit & 7u)), 16).ptr;
    return m_translate(kUnrecognisedErrorText) + " = 0x" + std::string(hex, end);
}

std::string CDeviceErrorBase::decode(std::uint8_t byte) const
{
    std::string out;
    for (unsigned bit = 0; bit < 8; ++bit) {
        if ((byte & (1u << bit)) == 0)
            continue;
        out += "\r\n";
        out += bitText(static_cast<std::uint8_t>(bit));
        // Compared by category rather than by translated name: two names may translate alike.
        if (bit < m_texts.size() && m_definition.joinedByOr && (byte >> (bit + 1)) != 0)
            out += m_translate(kOrText);
        out += ' ';
    }
    return out;
}

} // namespace tarvola
