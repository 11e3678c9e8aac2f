#include "monitor/CLPGDeviceErr.h"

#include "lang/translate.h"

namespace tarvola {

CLPGDeviceErr::CLPGDeviceErr(TextTranslator translator)
    : m_translator(translator ? std::move(translator) : TextTranslator(&translate))
{
    // Built here rather than left to the first rebuild, so that no decoding can ever meet an
    // empty list and report every stored byte as unrecognised.
    buildErrorList();
}

CLPGDeviceErr::~CLPGDeviceErr() = default;

void CLPGDeviceErr::rebuildErrorList()
{
    buildErrorList();
}

void CLPGDeviceErr::buildErrorList()
{
    m_errorList.clear();
    m_errorList.push_back(std::make_unique<CEEPROMError>(m_translator));
    m_errorList.push_back(std::make_unique<CInjError>(m_translator));
    m_errorList.push_back(std::make_unique<CSensorErr>(m_translator));
    m_errorList.push_back(std::make_unique<CCanErr>(m_translator));
    m_errorList.push_back(std::make_unique<CTransmError>(m_translator));
}

std::string CLPGDeviceErr::tr(const char* polish) const
{
    return m_translator(polish);
}

std::string CLPGDeviceErr::decodeCategory(std::size_t index, std::uint8_t byte) const
{
    if (index >= m_errorList.size())
        return tr(kUnrecognisedErrorText);
    return m_errorList[index]->decode(byte);
}

std::string CLPGDeviceErr::decodeErrors(const StoredErrorFlags& flags) const
{
    std::string out;
    for (std::size_t i = 0; i < flags.size(); ++i) {
        const std::string text = decodeCategory(i, flags[i]);
        if (!text.empty())
            out += text + "\r\n";
    }
    return out;
}

DeviceErrorEntry CLPGDeviceErr::describe(const StoredDeviceError& error) const
{
    DeviceErrorEntry entry{error, {}, {}};
    if (error.byteIndex < m_errorList.size()) {
        const CDeviceErrorBase& category = *m_errorList[error.byteIndex];
        entry.category = category.name();
        entry.text = category.bitText(error.bit);
    } else {
        entry.text = tr(kUnrecognisedErrorText);
    }
    return entry;
}

void CLPGDeviceErr::setStoredErrorFlags(const StoredErrorFlags& flags)
{
    m_stored = flags;
    m_storedKnown = true;
}

void CLPGDeviceErr::forgetStoredErrors()
{
    m_stored = {};
    m_storedKnown = false;
}

std::vector<DeviceErrorEntry> CLPGDeviceErr::storedErrors() const
{
    std::vector<DeviceErrorEntry> out;
    for (const StoredDeviceError& e : decodeStoredErrors(m_stored))
        out.push_back(describe(e));
    return out;
}

} // namespace tarvola
