#pragma once
// Conversions between the UTF-8 the program keeps its texts in and the UTF-16 of the language files.
//
// Neither conversion fails: whatever cannot be decoded (a malformed UTF-8 sequence, a lone surrogate
// in UTF-16) becomes U+FFFD, one replacement per bad unit, so odd input shows as odd text and never
// as a crash or a silently shortened string.

#include <string>
#include <string_view>

namespace tarvola {

std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

} // namespace tarvola
