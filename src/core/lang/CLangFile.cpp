#include "lang/CLangFile.h"

#include "lang/Utf16.h"

#include <fstream>
#include <system_error>

namespace tarvola {

namespace {
std::u16string decodeUtf16(std::string_view bytes, bool bigEndian)
{
    std::u16string out;
    out.reserve(bytes.size() / 2);
    // A final odd byte cannot be half of anything we could show; it is left out.
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        out += static_cast<char16_t>(bigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0);
    }
    return out;
}

std::u16string decodeContents(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE"))
        return decodeUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF"))
        return decodeUtf16(bytes.substr(2), true);
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return utf8ToUtf16(bytes.substr(3));
    return decodeUtf16(bytes, false);
}

bool isHighSurrogate(char16_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}
} // namespace

CLangFile::CLangFile(std::filesystem::path path) : m_path(std::move(path))
{
    // A FIFO or device under the file's name would block or never end; only regular files are read.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(m_path, ec))
        return;
    std::ifstream in(m_path, std::ios::binary);
    if (!in)
        return;
    // One byte past the bound tells a file that is exactly at the bound from one that is longer.
    std::string bytes(kMaxFileBytes + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        return;
    const bool cutShort = bytes.size() > kMaxFileBytes;
    if (cutShort)
        bytes.resize(kMaxFileBytes);
    index(bytes, cutShort);
    m_open = true;
}

CLangFile CLangFile::fromBytes(std::string_view bytes)
{
    CLangFile file;
    const bool cutShort = bytes.size() > kMaxFileBytes;
    file.index(cutShort ? bytes.substr(0, kMaxFileBytes) : bytes, cutShort);
    file.m_open = true;
    return file;
}

void CLangFile::index(std::string_view bytes, bool cutShort)
{
    std::u16string text = decodeContents(bytes);
    if (cutShort) {
        // The last line was cut by the bound, not by its writer; half a translation is worse than
        // the Polish text.
        const auto lastEnd = text.rfind(u'\n');
        text.resize(lastEnd == std::u16string::npos ? 0 : lastEnd + 1);
    }

    const std::u16string_view all(text);
    std::size_t start = 0;
    while (start < all.size()) {
        auto end = all.find(u'\n', start);
        const std::size_t next = end == std::u16string_view::npos ? all.size() : end + 1;
        if (end == std::u16string_view::npos)
            end = all.size();
        std::u16string_view line = all.substr(start, end - start);
        start = next;

        if (!line.empty() && line.back() == u'\r')
            line.remove_suffix(1);
        if (line.size() > kMaxLineChars) {
            line = line.substr(0, kMaxLineChars);
            if (isHighSurrogate(line.back()))
                line.remove_suffix(1);
        }

        const auto firstTab = line.find(u'\t');
        if (firstTab == std::u16string_view::npos)
            continue;
        const auto secondTab = line.find(u'\t', firstTab + 1);
        if (secondTab == std::u16string_view::npos)
            continue;
        // A key already indexed came from an earlier line, and the first matching line wins.
        const std::u16string key(line.substr(0, firstTab));
        if (!m_index.contains(key))
            m_index.emplace(key, utf16ToUtf8(line.substr(secondTab + 1)));
    }
}

namespace {
// A line of a language file cannot hold a line break, so messages that have one are written with
// the two characters backslash and n, in the key and in the translation alike.
std::string escapeLineBreaks(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string unescapeLineBreaks(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}
} // namespace

std::string CLangFile::lookup(std::string_view polish) const
{
    if (m_index.empty())
        return std::string(polish);
    const bool multiLine = polish.find('\n') != std::string_view::npos;
    const auto it = m_index.find(utf8ToUtf16(multiLine ? escapeLineBreaks(polish) : std::string(polish)));
    if (it == m_index.end())
        return std::string(polish);
    return multiLine ? unescapeLineBreaks(it->second) : it->second;
}

} // namespace tarvola
