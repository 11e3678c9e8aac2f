#pragma once
// The thirteen interface languages and the one process-wide current language.
//
// Ids are fixed: they index the built-in text columns and are what the language dialog hands back,
// so they never change order. The current language may hold any integer (it is set from outside);
// CMultiLangText::checkLang() is where an unsupported value is refused.

#include <array>
#include <string_view>

namespace tarvola {

// Scoped in a struct so the names read Lang::Thai and still convert to int without casts.
struct Lang {
    enum : int {
        Polish = 0,
        English = 1,
        Russian = 2,
        German = 3,
        Turkish = 4,
        Czech = 5,
        Croatian = 6,
        Slovenian = 7,
        Lithuanian = 8,
        Italian = 9,
        Spanish = 10,
        Portuguese = 11,
        Thai = 12,
    };
};

inline constexpr int kLanguageCount = 13;
// Languages 0..11 have a built-in text column (Czech and Lithuanian columns exist but are served
// from language files); Thai has none.
inline constexpr int kBuiltInLanguageCount = 12;

// The twelve built-in texts of one entry, in the order the text tables are written in: Polish,
// English, Italian, Spanish, Portuguese, Croatian, Russian, Turkish, German, Slovenian, Czech,
// Lithuanian. kTextColumnLanguage[i] is the language id of texts[i].
using TwelveTexts = std::array<std::string_view, kBuiltInLanguageCount>;
inline constexpr std::array<int, kBuiltInLanguageCount> kTextColumnLanguage{
    Lang::Polish,  Lang::English, Lang::Italian, Lang::Spanish, Lang::Portuguese, Lang::Croatian,
    Lang::Russian, Lang::Turkish, Lang::German,  Lang::Slovenian, Lang::Czech,    Lang::Lithuanian};

// The names shown in the language list, in id order.
const std::array<std::string_view, kLanguageCount>& languageListNames();

// True for 0..12.
constexpr bool isSupportedLanguage(int id) { return id >= 0 && id < kLanguageCount; }

// True for the languages whose texts come from a language file rather than the built-in tables:
// Thai, Czech and Lithuanian.
constexpr bool isFileLanguage(int id) { return id == Lang::Thai || id == Lang::Czech || id == Lang::Lithuanian; }

// The current language; safe to read and write from any thread. Polish until the start-up sets it
// from the user's locale (see startLanguages()).
int currentLanguage();
void setCurrentLanguage(int id);

} // namespace tarvola
