#pragma once
// The controller's stored faults, independent of any language: the error categories, what each bit
// of the four stored error bytes means, and the decoding of those bytes into a list of faults.
//
// Texts here are the Polish source texts; they are translated only where they are shown (see
// CLPGDeviceErr), so a change of language never needs the controller to be asked again.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tarvola {

// The four stored error bytes as the controller sends them: byte i belongs to category i.
using StoredErrorFlags = std::array<std::uint8_t, 4>;

// The categories in the order of the device's error list (the list index is the value).
enum class DeviceErrorCategory : std::uint8_t {
    Memory = 0,       // "Dane"
    Injectors = 1,    // "Wtryskiwacze"
    Sensors = 2,      // "Czujniki"
    Can = 3,          // "CAN"
    Transmission = 4, // "Transmisja": in the list, but no stored byte belongs to it
};

struct DeviceErrorCategoryDef {
    DeviceErrorCategory id;
    const char* polishName;
    // Entry i is the Polish text of bit i; bits past the end have no text of their own.
    std::span<const char* const> bitTexts;
    // Faults of this category that are reported together are joined by " lub" ("or"): the
    // controller cannot tell which of several gas injectors is faulty.
    bool joinedByOr;
};

inline constexpr std::size_t kDeviceErrorCategoryCount = 5;
// Only the first four categories have a stored error byte.
inline constexpr std::size_t kStoredErrorByteCount = 4;

// The categories in list order. The table is static; nothing here is ever freed.
std::span<const DeviceErrorCategoryDef, kDeviceErrorCategoryCount> deviceErrorCategories();
// The category at a list index; nullptr for an index past the list.
const DeviceErrorCategoryDef* deviceErrorCategory(std::size_t index);

// Polish source texts the decoding and the faces use.
inline constexpr const char* kUnrecognisedErrorText = "Nierozpoznany kod błędu";
inline constexpr const char* kOrText = " lub";
inline constexpr const char* kClearErrorsFailedText = "Nie można skasować błędów urządzenia";
inline constexpr const char* kReadErrorsFailedText = "Nie można odczytać błędów urządzenia";

// One set bit of the stored error bytes.
struct StoredDeviceError {
    std::size_t byteIndex = 0;    // which of the four bytes, which is also the category's list index
    DeviceErrorCategory category = DeviceErrorCategory::Memory;
    std::uint8_t bit = 0;         // 0 (value 1) to 7 (value 128)
    // The category's Polish text for this bit; nullptr when the category defines none, which is
    // shown as the unrecognised-code text with the bit's value.
    const char* polishText = nullptr;
    // A higher bit of the same byte is also set and the category joins its faults by " lub".
    bool orFollows = false;

    std::uint8_t value() const { return static_cast<std::uint8_t>(1u << bit); }
    bool recognised() const { return polishText != nullptr; }
    friend bool operator==(const StoredDeviceError&, const StoredDeviceError&) = default;
};

// Every set bit of the four bytes, byte 0 first and, within a byte, bit 0 first. All zero bytes give
// an empty list. Never fails: a bit without a text becomes an unrecognised fault.
std::vector<StoredDeviceError> decodeStoredErrors(const StoredErrorFlags& flags);

} // namespace tarvola
