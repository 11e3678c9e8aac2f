#include "lang/MessageDictionary.h"

namespace tarvola {

namespace {
std::string_view view(const char8_t* text)
{
    return reinterpret_cast<const char*>(text);
}
} // namespace

MessageDictionary::Entry& MessageDictionary::entryFor(std::string_view polish)
{
    auto it = m_entries.find(polish);
    if (it == m_entries.end()) {
        it = m_entries.emplace(std::string(polish), Entry{}).first;
        it->second[Lang::Polish] = std::string(polish);
    }
    return it->second;
}

void MessageDictionary::add(const TwelveTexts& texts)
{
    Entry entry;
    for (std::size_t column = 0; column < texts.size(); ++column)
        entry[static_cast<std::size_t>(kTextColumnLanguage[column])] = std::string(texts[column]);
    m_entries.insert_or_assign(std::string(texts[0]), std::move(entry));
}

void MessageDictionary::addKeys(std::span<const MessageText> keys)
{
    for (const MessageText& key : keys)
        if (key.polish)
            entryFor(view(key.polish));
}

bool MessageDictionary::addTranslations(int language, std::span<const MessageText> texts)
{
    if (language <= Lang::Polish || language >= kBuiltInLanguageCount)
        return false;
    for (const MessageText& pair : texts)
        if (pair.polish && pair.text)
            entryFor(view(pair.polish))[static_cast<std::size_t>(language)] = std::string(view(pair.text));
    return true;
}

std::optional<std::string_view> MessageDictionary::text(std::string_view polish, int language) const
{
    if (language < 0 || language >= kBuiltInLanguageCount)
        return std::nullopt;
    const auto it = m_entries.find(polish);
    if (it == m_entries.end())
        return std::nullopt;
    const auto& text = it->second[static_cast<std::size_t>(language)];
    if (!text)
        return std::nullopt;
    return std::string_view(*text);
}

} // namespace tarvola
