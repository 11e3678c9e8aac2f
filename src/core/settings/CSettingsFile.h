#pragma once
// Settings files (".xset"): a whole controller configuration as plain text, one "key TAB value CR LF"
// line per field of the settings record, keys as the settings key registry names them.
//
// CSettingsFile is the line-level reader and writer; writeSettingsRecord / readSettingsRecord move a
// whole record. Numbers are written and read in the "C" locale whatever the process locale is.

#include <cstdio>
#include <string>
#include <string_view>

#include "settings/CDeviceSettings.h"

namespace tarvola {

class CSettingsFile {
public:
    // Longest piece of a line the reader takes at once; the rest of a longer line counts as the next line.
    static constexpr std::size_t kMaxLinePiece = 511;

    CSettingsFile() = default;
    virtual ~CSettingsFile();
    CSettingsFile(const CSettingsFile&) = delete;
    CSettingsFile& operator=(const CSettingsFile&) = delete;

    // Opens `name` for writing (truncating it) or reading; closes any file open before. False when it
    // cannot be opened. Lines end in CR LF on every platform, so the file is handled byte for byte.
    bool open(const std::string& name, bool forWriting);
    // Flushes and closes the file and forgets its name. False when buffered lines could not be put on
    // disk (a full disk shows up here, not in the line writes); true when nothing was open.
    bool close();
    bool isOpen() const { return m_file != nullptr; }
    const std::string& name() const { return m_name; }

    // Append one line. False when no file is open for writing or the stream reports an error.
    bool writeString(std::string_view key, std::string_view text);
    // The number as the settings key registry writes doubles: 6 significant digits, general notation.
    bool writeNumber(std::string_view key, double value);

    // The value of the first line whose text before its first TAB is `key`, without the line end.
    // Rescans from the start every call. False when no line has the key or the matching line has
    // nothing after its TAB (not even a line end); `text` is then left alone.
    bool readString(std::string_view key, std::string& text);
    // readString, then the leading decimal number of the value (blanks and a sign allowed, "C"
    // locale); a value that is no number gives 0, one too large for a double gives ±infinity.
    bool readNumber(std::string_view key, double& value);

    // The leading number of `text` by the rule of readNumber.
    static double leadingNumber(std::string_view text);

private:
    std::FILE* m_file = nullptr;
    std::string m_name;
    bool m_forWriting = false;
};

// Writes every key of the registry, in order, from `record`. The file is first written beside `name`
// under a temporary name and renamed over it only when every line reached the disk, so a failed save
// (unwritable folder, full disk) returns false and leaves any old file as it was.
bool writeSettingsRecord(const std::string& name, const CDeviceSettings& record);

// Reads m_timeStamp and then every other key into `record`. Fails with `error` naming the cause (the
// file cannot be opened, a key is missing, a number is no finite value, or an integer field cannot hold
// it); `record` is then untouched. Fractions going into integer fields are truncated toward zero.
bool readSettingsRecord(const std::string& name, CDeviceSettings& record, std::string& error);

} // namespace tarvola
