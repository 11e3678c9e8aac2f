#include "settings/CSettingsFile.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <type_traits>
#include <variant>

#include <stdio.h> // getdelim

#include "platform/AppConfig.h"
#include "settings/SettingsKeys.h"

namespace tarvola {

namespace {

void appendLine(std::string& out, std::string_view key, std::string_view value)
{
    out.append(key);
    out.push_back('\t');
    out.append(value);
    out.append("\r\n");
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// from_chars reports a number beyond a double without a value; decide which way it went.
bool tooSmallRatherThanTooLarge(std::string_view number)
{
    const auto e = number.find_first_of("eE");
    if (e != std::string_view::npos)
        return e + 1 < number.size() && number[e + 1] == '-';
    const auto point = number.find('.');
    return number.substr(0, point).find_first_not_of('0') == std::string_view::npos;
}

// Stores a number in a field. Integer fields take the value truncated toward zero; what the field
// cannot hold is refused rather than wrapped, because converting such a double is undefined and a
// wrapped byte would send the controller a setting nobody chose.
template <class T>
bool storeNumber(T* field, double value, std::string& why)
{
    if (!std::isfinite(value)) {
        why = "is no finite number";
        return false;
    }
    if constexpr (std::is_same_v<T, double>) {
        *field = value;
    } else {
        const double whole = std::trunc(value);
        if (whole < static_cast<double>(std::numeric_limits<T>::min()) ||
            whole > static_cast<double>(std::numeric_limits<T>::max())) {
            why = "lies outside " + std::to_string(std::numeric_limits<T>::min()) + ".." +
                  std::to_string(std::numeric_limits<T>::max());
            return false;
        }
        *field = static_cast<T>(whole);
    }
    return true;
}

} // namespace

CSettingsFile::~CSettingsFile()
{
    close();
}

bool CSettingsFile::open(const std::string& name, bool forWriting)
{
    close();
    m_file = std::fopen(name.c_str(), forWriting ? "wb" : "rb");
    if (!m_file)
        return false;
    m_name = name;
    m_forWriting = forWriting;
    return true;
}

bool CSettingsFile::close()
{
    if (!m_file)
        return true;
    bool ok = true;
    if (m_forWriting)
        ok = std::fflush(m_file) == 0 && std::ferror(m_file) == 0;
    ok = std::fclose(m_file) == 0 && ok;
    m_file = nullptr;
    m_name.clear();
    m_forWriting = false;
    return ok;
}

bool CSettingsFile::writeString(std::string_view key, std::string_view text)
{
    if (!m_file || !m_forWriting)
        return false;
    std::string line;
    appendLine(line, key, text);
    return std::fwrite(line.data(), 1, line.size(), m_file) == line.size();
}

bool CSettingsFile::writeNumber(std::string_view key, double value)
{
    return writeString(key, formatSettingsNumber(value));
}

bool CSettingsFile::readString(std::string_view key, std::string& text)
{
    if (!m_file || m_forWriting)
        return false;
    std::rewind(m_file);
    char* raw = nullptr;
    std::size_t capacity = 0;
    enum { Searching, Found, Empty } state = Searching;
    ssize_t got = 0;
    while (state == Searching && (got = ::getdelim(&raw, &capacity, '\n', m_file)) > 0) {
        // A line longer than a piece is taken piece by piece, each piece counting as a line of its own.
        const std::string_view line(raw, static_cast<std::size_t>(got));
        for (std::size_t at = 0; at < line.size() && state == Searching; at += kMaxLinePiece) {
            const std::string_view piece = line.substr(at, kMaxLinePiece);
            const auto tab = piece.find('\t');
            if (tab == std::string_view::npos || piece.substr(0, tab) != key)
                continue;
            // The first line with the key decides, even when it holds nothing after its TAB.
            std::string_view value = piece.substr(tab + 1);
            if (value.empty()) {
                state = Empty;
                break;
            }
            if (value.back() == '\n')
                value.remove_suffix(1);
            if (!value.empty() && value.back() == '\r')
                value.remove_suffix(1);
            text.assign(value);
            state = Found;
        }
    }
    std::free(raw);
    return state == Found;
}

bool CSettingsFile::readNumber(std::string_view key, double& value)
{
    std::string text;
    if (!readString(key, text))
        return false;
    value = leadingNumber(text);
    return true;
}

double CSettingsFile::leadingNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        return 0; // a second sign: no number
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    double value = 0;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument)
        return 0;
    if (result.ec == std::errc::result_out_of_range)
        value = tooSmallRatherThanTooLarge(std::string_view(first, static_cast<std::size_t>(result.ptr - first)))
                    ? 0.0
                    : std::numeric_limits<double>::infinity();
    return negative ? -value : value;
}

bool writeSettingsRecord(const std::string& name, const CDeviceSettings& record)
{
    std::string contents;
    contents.reserve(16 * 1024);
    for (const auto& key : settingsKeys())
        appendLine(contents, key.name(), key.text(record));
    return writeFileAtomically(name, contents);
}

bool readSettingsRecord(const std::string& name, CDeviceSettings& record, std::string& error)
{
    CSettingsFile file;
    if (!file.open(name, false)) {
        error = name + ": cannot be opened";
        return false;
    }
    // Into a copy, so a file that fails half way leaves the caller's record as it was.
    CDeviceSettings loaded = record;
    for (const auto& key : settingsKeys()) {
        std::string text;
        if (!file.readString(key.name(), text)) {
            error = name + ": " + key.name() + " is missing or empty";
            return false;
        }
        auto field = key.field(loaded);
        if (auto* s = std::get_if<std::string*>(&field)) {
            **s = std::move(text);
            continue;
        }
        const double value = CSettingsFile::leadingNumber(text);
        std::string why;
        const bool stored = std::visit(
            [&](auto* target) {
                if constexpr (std::is_same_v<decltype(target), std::string*>)
                    return false;
                else
                    return storeNumber(target, value, why);
            },
            field);
        if (!stored) {
            error = name + ": " + key.name() + " " + text + " " + why;
            return false;
        }
    }
    record = std::move(loaded);
    return true;
}

} // namespace tarvola
