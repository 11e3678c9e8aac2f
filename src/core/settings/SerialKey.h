#pragma once
// The text the serial-number cipher is keyed with. Controllers that hide their serial number in the
// identity reply encipher it under this key, so it must never change; it is kept here and nowhere else.
//
// It has the shape of a GUID (8-4-4-4-12 hexadecimal groups with hyphens); only its first 32
// characters, hyphens included, form the key.

#include <string_view>

namespace tarvola {

inline constexpr std::string_view kSerialKeyText = "4E9B27C1-D3A8-4F56-B0E2-7A1C95D3E864";
static_assert(kSerialKeyText.size() == 36);

} // namespace tarvola
