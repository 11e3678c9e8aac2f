#include "lang/Utf16.h"

#include <cstdint>

namespace tarvola {

namespace {
constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void appendUtf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 | (cp >> 10));
        out += static_cast<char16_t>(0xDC00 | (cp & 0x3FF));
    }
}

// Decodes one code point at s[i]; advances i past it. Overlong forms, encoded surrogates and values
// past U+10FFFF are malformed: the lead byte alone is consumed and replaced.
char32_t decodeUtf8(std::string_view s, std::size_t& i)
{
    const auto lead = static_cast<std::uint8_t>(s[i]);
    std::size_t len = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        len = 2, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        len = 3, cp = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        len = 4, cp = lead & 0x07, min = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    if (s.size() - i < len) {
        ++i;
        return kReplacement;
    }
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<std::uint8_t>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += len;
    return cp;
}
} // namespace

std::u16string utf8ToUtf16(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();)
        appendUtf16(out, decodeUtf8(utf8, i));
    return out;
}

std::string utf16ToUtf8(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size() * 2);
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t u = utf16[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(utf16[i + 1]) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            appendUtf8(out, kReplacement);
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

} // namespace tarvola
