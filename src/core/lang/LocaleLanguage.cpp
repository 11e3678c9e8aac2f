#include "lang/LocaleLanguage.h"

#include "lang/Language.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <utility>

namespace tarvola {

namespace {
constexpr int kEnglishUs = 1033;

std::string lower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}
} // namespace

int languageFromLangId(int langId)
{
    switch (langId) {
    case 1045:
        return Lang::Polish;
    case 1049:
        return Lang::Russian;
    case 1031: case 2055: case 3079: case 4103: case 5127:
        return Lang::German;
    case 1055:
        return Lang::Turkish;
    case 1029:
        return Lang::Czech;
    case 1050:
        return Lang::Croatian;
    case 1060:
        return Lang::Slovenian;
    case 1063:
        return Lang::Lithuanian;
    case 1040:
        return Lang::Italian;
    case 1034: case 2058: case 3082: case 4106: case 5130: case 6154: case 7178: case 8202: case 9226:
    case 10250: case 11274: case 12298: case 13322: case 14346: case 15370: case 16394: case 17418:
    case 18442: case 19466: case 20490:
        return Lang::Spanish;
    case 1046: case 2070:
        return Lang::Portuguese;
    case 1054:
        return Lang::Thai;
    default:
        return Lang::English;
    }
}

int langIdFromLocaleName(std::string_view locale)
{
    // language[_territory][.codeset][@modifier]; some systems write language-territory.
    locale = locale.substr(0, locale.find_first_of(".@"));
    const auto sep = locale.find_first_of("_-");
    const std::string language = lower(locale.substr(0, sep));
    const std::string territory = sep == std::string_view::npos ? std::string() : lower(locale.substr(sep + 1));

    if (language == "pt")
        return territory == "br" ? 1046 : 2070;
    static constexpr std::array<std::pair<std::string_view, int>, 12> kLangIds{{
        {"pl", 1045}, {"ru", 1049}, {"de", 1031}, {"tr", 1055}, {"cs", 1029}, {"hr", 1050},
        {"sl", 1060}, {"lt", 1063}, {"it", 1040}, {"es", 1034}, {"th", 1054}, {"en", kEnglishUs},
    }};
    for (const auto& [code, langId] : kLangIds)
        if (language == code)
            return langId;
    return kEnglishUs;
}

std::string messagesLocaleName(const EnvironmentReader& getenv)
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = getenv ? getenv(name) : std::getenv(name);
        if (value && *value)
            return value;
    }
    return "C";
}

int defaultLanguage(const EnvironmentReader& getenv)
{
    return languageFromLangId(langIdFromLocaleName(messagesLocaleName(getenv)));
}

} // namespace tarvola
