#pragma once
// The stored-error model the device object is built on: the error categories in the current
// language, and the faults the controller reported at the last read of its stored error flags.
//
// The faults are kept as the four bytes the controller sent, so after a change of language
// rebuildErrorList() is all it takes to show them again in the new language. Reading and clearing
// through the controller live in DeviceErrorsCommands.h.
//
// Threads: the user-interface thread only (the polling thread never touches it).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "monitor/DeviceErrorCategories.h"
#include "monitor/DeviceErrors.h"

namespace tarvola {

// One stored fault as it is shown.
struct DeviceErrorEntry {
    StoredDeviceError error; // what the controller stored, independent of language
    std::string category;    // the category's name in the current language
    std::string text;        // the bit's text in the current language (unrecognised: with its value)
};

class CLPGDeviceErr {
public:
    // Builds the error list at once, in the language current now; `translator` is for tests that
    // need a language other than the process-wide one.
    explicit CLPGDeviceErr(TextTranslator translator = nullptr);
    virtual ~CLPGDeviceErr();
    CLPGDeviceErr(const CLPGDeviceErr&) = delete;
    CLPGDeviceErr& operator=(const CLPGDeviceErr&) = delete;

    // Empties the error list and builds it anew, so every text follows the current language.
    // Call after every change of language. Keeps the stored faults.
    virtual void rebuildErrorList();

    // The categories in list order: "Dane", "Wtryskiwacze", "Czujniki", "CAN", "Transmisja".
    const std::vector<std::unique_ptr<CDeviceErrorBase>>& errorList() const { return m_errorList; }

    // The text of four stored bytes as the errors dialog shows it: each non-empty category text
    // followed by \r\n; empty when no bit is set.
    std::string decodeErrors(const StoredErrorFlags& flags) const;
    // One category's text for one byte; an index past the list gives the unrecognised-code text.
    std::string decodeCategory(std::size_t index, std::uint8_t byte) const;
    DeviceErrorEntry describe(const StoredDeviceError& error) const;

    // ---- the faults the controller reported ----
    // Remembers the bytes of a successful read (or zeros after a successful clear).
    void setStoredErrorFlags(const StoredErrorFlags& flags);
    // After a failed read or clear: what the controller holds is not known.
    void forgetStoredErrors();
    bool storedErrorsKnown() const { return m_storedKnown; }
    // The bytes last read; all zero while nothing is known.
    const StoredErrorFlags& storedErrorFlags() const { return m_stored; }
    // The faults last read, in the current language; empty while nothing is known.
    std::vector<DeviceErrorEntry> storedErrors() const;
    std::string storedErrorsText() const { return decodeErrors(m_stored); }

private:
    void buildErrorList();
    std::string tr(const char* polish) const;

    TextTranslator m_translator;
    std::vector<std::unique_ptr<CDeviceErrorBase>> m_errorList;
    StoredErrorFlags m_stored{};
    bool m_storedKnown = false;
};

} // namespace tarvola
