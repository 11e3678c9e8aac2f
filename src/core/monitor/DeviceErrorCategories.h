#pragma once
// The error categories as the user sees them: one object per category, holding its texts in the
// language that was current when it was built, and turning one stored error byte into text.
//
// The categories are rebuilt when the language changes (CLPGDeviceErr::rebuildErrorList), so
// their texts are never translated twice and never mix two languages.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "monitor/DeviceErrors.h"

namespace tarvola {

// Turns a Polish source text into the current language. Must not throw; a text it does not know is
// returned as it is.
using TextTranslator = std::function<std::string(const std::string& polish)>;

class CDeviceErrorBase {
public:
    // The category's display name, translated on every call. The base knows no category.
    virtual std::string name() const { return "UNKNOWN"; }
    virtual ~CDeviceErrorBase() = default;
    CDeviceErrorBase(const CDeviceErrorBase&) = delete;
    CDeviceErrorBase& operator=(const CDeviceErrorBase&) = delete;

    DeviceErrorCategory id() const { return m_definition.id; }
    const DeviceErrorCategoryDef& definition() const { return m_definition; }
    // Entry i is the text of bit i in the language current at construction.
    const std::vector<std::string>& texts() const { return m_texts; }

    // The text of one stored byte of this category: empty for 0; otherwise, for each set bit from
    // bit 0 up, a line break (\r\n), the bit's text (or the unrecognised-code text, " = 0x" and the
    // bit's value in lower-case hex), " lub" after an injector fault when a higher bit is also set,
    // and one space.
    std::string decode(std::uint8_t byte) const;
    // The text of one set bit, without the line break, " lub" or the closing space.
    std::string bitText(std::uint8_t bit) const;

protected:
    CDeviceErrorBase(const DeviceErrorCategoryDef& definition, TextTranslator translator);
    std::string translatedName() const { return m_translate(m_definition.polishName); }

private:
    const DeviceErrorCategoryDef& m_definition;
    TextTranslator m_translate;
    std::vector<std::string> m_texts;
};

// One concrete category; the documented class names below name its instances.
template <DeviceErrorCategory Id>
class CDeviceErrorCategory final : public CDeviceErrorBase {
public:
    explicit CDeviceErrorCategory(TextTranslator translator)
        : CDeviceErrorBase(deviceErrorCategories()[static_cast<std::size_t>(Id)], std::move(translator))
    {
    }
    std::string name() const override { return translatedName(); }
};

using CEEPROMError = CDeviceErrorCategory<DeviceErrorCategory::Memory>;
using CInjError = CDeviceErrorCategory<DeviceErrorCategory::Injectors>;
using CSensorErr = CDeviceErrorCategory<DeviceErrorCategory::Sensors>;
using CCanErr = CDeviceErrorCategory<DeviceErrorCategory::Can>;
using CTransmError = CDeviceErrorCategory<DeviceErrorCategory::Transmission>;

} // namespace tarvola
