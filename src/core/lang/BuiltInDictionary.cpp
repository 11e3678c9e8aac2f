// The program's own message translations.
//
// The data lives in dictionary/: Messages_pl.inc lists every message key with a note for the
// translators, and Messages_<lang>.inc the translations of one language, one line a message:
//     {u8"<Polish>", u8"<text>"},
// Czech and Lithuanian have no built-in texts (their language files serve them), Thai neither.

#include "lang/Language.h"
#include "lang/MessageDictionary.h"

namespace tarvola {

namespace {
constexpr MessageText kKeys[] = {
#include "dictionary/Messages_pl.inc"
};
constexpr MessageText kEnglish[] = {
#include "dictionary/Messages_en.inc"
};
constexpr MessageText kRussian[] = {
#include "dictionary/Messages_ru.inc"
};
constexpr MessageText kGerman[] = {
#include "dictionary/Messages_de.inc"
};
constexpr MessageText kTurkish[] = {
#include "dictionary/Messages_tr.inc"
};
constexpr MessageText kCroatian[] = {
#include "dictionary/Messages_hr.inc"
};
constexpr MessageText kSlovenian[] = {
#include "dictionary/Messages_sl.inc"
};
constexpr MessageText kItalian[] = {
#include "dictionary/Messages_it.inc"
};
constexpr MessageText kSpanish[] = {
#include "dictionary/Messages_es.inc"
};
constexpr MessageText kPortuguese[] = {
#include "dictionary/Messages_pt.inc"
};
} // namespace

std::span<const MessageText> builtInMessageKeys()
{
    return kKeys;
}

std::span<const MessageText> builtInTranslations(int language)
{
    switch (language) {
    case Lang::English: return kEnglish;
    case Lang::Russian: return kRussian;
    case Lang::German: return kGerman;
    case Lang::Turkish: return kTurkish;
    case Lang::Croatian: return kCroatian;
    case Lang::Slovenian: return kSlovenian;
    case Lang::Italian: return kItalian;
    case Lang::Spanish: return kSpanish;
    case Lang::Portuguese: return kPortuguese;
    default: return {};
    }
}

MessageDictionary builtInDictionary()
{
    MessageDictionary dictionary;
    dictionary.addKeys(kKeys);
    for (int language = 0; language < kLanguageCount; ++language) {
        const auto texts = builtInTranslations(language);
        if (!texts.empty())
            dictionary.addTranslations(language, texts);
    }
    return dictionary;
}

} // namespace tarvola
