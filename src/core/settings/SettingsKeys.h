#pragma once
// The named fields of the settings record: every key of a settings file, in file order, with the
// kind and storage type of its field, the controller write that carries it, and a getter and a
// checked setter. The command line's dump and set commands and the settings file all go through
// this one list, so a key means the same field everywhere. No I/O happens here.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "settings/CDeviceSettings.h"
#include "settings/SettingsBlocks.h"

namespace tarvola {



// How a settings file writes the value.
enum class KeyKind : std::uint8_t { Text, Number };
// How the record stores the field.
enum class FieldType : std::uint8_t { Double, U8, U16, U32, I32, Text };
// Which write sends the field to the controller: none (time stamp, identity, car description), one
// settings block, or the fuel map.
enum class KeyTarget : std::uint8_t { None, Block, Map };

class SettingsKey {
public:
    using FieldRef = std::variant<double*, std::uint8_t*, std::uint16_t*, std::uint32_t*, std::int32_t*, std::string*>;
    using Access = std::function<FieldRef(CDeviceSettings&)>;
    // What a double field's wire code can carry (the checks of set()).
    enum class Carry : std::uint8_t;

    const std::string& name() const { return m_name; }
    KeyKind kind() const { return m_type == FieldType::Text ? KeyKind::Text : KeyKind::Number; }
    FieldType type() const { return m_type; }
    KeyTarget target() const { return m_target; }
    // The block that carries the field; meaningful only when target() is KeyTarget::Block.
    SettingsBlock block() const { return m_block; }

    // The field itself, for callers that bring their own value checks. The pointer is into
    // `settings` and valid as long as it is.
    FieldRef field(CDeviceSettings& settings) const { return m_access(settings); }

    // The value as a settings file writes it: a text as it stands, a double in general notation
    // with 6 significant digits ("C" locale: 1200, 0.5, 1.23457e+06), an integer field as the whole
    // number it holds.
    std::string text(const CDeviceSettings& settings) const;
    // The value of a number key; nothing for a text key.
    std::optional<double> number(const CDeviceSettings& settings) const;

    // Parses `value` in the "C" locale (surrounding blanks allowed) and stores it in the field.
    // Refuses, with a message naming the key in `error` and the record unchanged: text that is not
    // a number, NaN and infinities, a negative or fractional value for an integer field, a value
    // beyond the field's range, and a double whose wire code would not fit its field after
    // encoding (an engine speed whose period code exceeds 16 bits, a byte-coded value outside its
    // byte after scaling, a temperature no sensor table holds). Texts are refused when they hold a
    // line break (a settings file could not read them back) or, for the serial number, when they
    // are longer than the controller's 16 bytes.
    bool set(CDeviceSettings& settings, std::string_view value, std::string& error) const;

    SettingsKey(std::string name, FieldType type, KeyTarget target, SettingsBlock block, Carry carry, Access access);

private:
    std::string m_name;
    FieldType m_type;
    KeyTarget m_target;
    SettingsBlock m_block;
    Carry m_carry;
    Access m_access;
};

// A double as a settings file writes it: general notation, 6 significant digits, "C" locale
// (1200, 0.5, 1.23457e+06). The one home of that rule.
std::string formatSettingsNumber(double value);

// Every key in file order (417 of them). Built once; safe to call from any thread.
const std::vector<SettingsKey>& settingsKeys();
// The key of that exact (case-sensitive) name, or nullptr.
const SettingsKey* findSettingsKey(std::string_view name);

} // namespace tarvola
