#pragma once
// One external language file (THAI.csv, CZECH.csv or LITHUANIAN.csv): the translations of the
// languages that have no built-in texts.
//
// Format: UTF-16 little-endian text with a byte-order mark, CR LF line ends, one translation a line:
//     <Polish text> TAB <anything, unused> TAB <translation>
// The first line whose first field equals the Polish text gives the translation: everything after
// the second tab, further tabs included, an empty text included. A line with a single tab never
// matches (the middle field is required), and a line without a tab is ignored.
//
// The file is read and indexed once, when the object is made; lookups then cost one hash probe and
// never touch the disk, so they are safe from several threads at once. The index answers exactly
// what a scan of the lines from the top would.
//
// Odd input is read, never refused and never trusted:
// - a byte-order mark FF FE is skipped; FE FF reads the file as big-endian and EF BB BF as UTF-8
//   (an editor may have re-saved it so); with no mark at all the file is UTF-16LE from its first
//   byte, so no character of the first line is lost;
// - a final odd byte is ignored; a lone surrogate becomes U+FFFD in the translation and makes its
//   key unmatchable (no Polish text holds one);
// - a line keeps at most kMaxLineChars UTF-16 units after its line end is removed (a surrogate pair
//   is never split); the rest of that line is dropped, never read as a line of its own;
// - a line end is LF, with one CR before it removed when present, so the last line needs none;
// - only the first kMaxFileBytes of a file are read, and then the line cut there is dropped.
// Keys are compared as Unicode exactly (no code-page round trip that could make two texts equal).

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tarvola {

class CLangFile {
public:
    static constexpr std::size_t kMaxLineChars = 2048;
    static constexpr std::size_t kMaxFileBytes = std::size_t{8} << 20;

    // Not open: every lookup returns the Polish text.
    CLangFile() = default;
    // Reads the file. When the path is not a readable regular file the object stays not open; that
    // is no error (a missing file means its language shows Polish texts).
    explicit CLangFile(std::filesystem::path path);
    // The same reading applied to contents already in memory (for tests and fuzzing); the result
    // counts as open.
    static CLangFile fromBytes(std::string_view bytes);

    bool isOpen() const { return m_open; }
    const std::filesystem::path& path() const { return m_path; }
    // How many distinct Polish texts the file translates.
    std::size_t entryCount() const { return m_index.size(); }

    // The translation of `polish` (UTF-8) as UTF-8; the Polish text itself when the file has no
    // matching line or is not open. Never throws except for allocation failure.
    // A message with line breaks is looked up with each break written as the two characters "\n"
    // (a line of the file cannot hold a real one) and its translation comes back with real breaks.
    std::string lookup(std::string_view polish) const;

private:
    void index(std::string_view bytes, bool cutShort);

    std::filesystem::path m_path;
    bool m_open = false;
    std::unordered_map<std::u16string, std::string> m_index;
};

} // namespace tarvola
