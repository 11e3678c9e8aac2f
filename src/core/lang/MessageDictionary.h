#pragma once
// The message dictionary: Polish message text -> its text in each built-in language. translate()
// reads the process-wide one (see LanguageServices.h); code never looks texts up here directly.
//
// An entry may lack a language (then that language shows the Polish text) or hold an empty text
// for it (then the empty text is shown, on purpose: an empty built-in translation is kept as it is).
// Texts are UTF-8.
//
// The built-in data arrives as per-language lists of {Polish, text} pairs written as u8 literals,
// which plug in through addKeys() and addTranslations(); see builtInDictionary().

#include "lang/Language.h"

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tarvola {

// One line of the built-in data: {u8"<Polish>", u8"<text>"}.
struct MessageText {
    const char8_t* polish;
    const char8_t* text;
};

class MessageDictionary {
public:
    // Index = language id 0..11; index 0 is the Polish key itself.
    using Entry = std::array<std::optional<std::string>, kBuiltInLanguageCount>;

    // Stores one entry from its twelve texts (order of TwelveTexts), keyed by texts[0]. Every
    // language gets a text, empty ones included. Replaces an entry with the same key.
    void add(const TwelveTexts& texts);

    // Makes sure an entry exists for each pair's Polish text; the second member (a note for the
    // translators) is not kept. Entries made here show Polish until a translation is added.
    void addKeys(std::span<const MessageText> keys);

    // Sets the text of `language` (1..11) for each pair's Polish text, making the entry when it does
    // not exist yet; a later pair for the same key wins. Pairs with a null member are skipped.
    // Returns false, and adds nothing, when the language has no built-in column (0: the key is the
    // Polish text; 12 and anything else: none).
    bool addTranslations(int language, std::span<const MessageText> texts);

    // The entry's text for the language when the entry exists and has one; nullopt otherwise (also
    // for languages outside 0..11).
    std::optional<std::string_view> text(std::string_view polish, int language) const;

    bool contains(std::string_view polish) const { return m_entries.find(polish) != m_entries.end(); }
    std::size_t size() const { return m_entries.size(); }

private:
    Entry& entryFor(std::string_view polish);

    std::map<std::string, Entry, std::less<>> m_entries;
};

// The dictionary the program ships with, built anew at each call (the start-up builds it once).
// The data for the program's messages is plugged in here, language by language.
MessageDictionary builtInDictionary();
// The data behind it: every key with its translator note, and one language's translations (empty
// for Polish and for the languages served by language files).
std::span<const MessageText> builtInMessageKeys();
std::span<const MessageText> builtInTranslations(int language);

} // namespace tarvola
