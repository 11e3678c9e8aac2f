#include "lang/translate.h"

#include "lang/Language.h"
#include "lang/LanguageServices.h"

namespace tarvola {

std::string translate(const std::string& polish)
{
    const int language = currentLanguage();
    if (isFileLanguage(language))
        return lookupLanguageFile(language, polish);
    if (language == Lang::Polish || !isSupportedLanguage(language))
        return polish;
    const auto dictionary = messageDictionary();
    if (const auto text = dictionary->text(polish, language))
        return std::string(*text);
    return polish;
}

} // namespace tarvola
