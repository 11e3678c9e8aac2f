// The program's own message translations.
//
// The data lives in dictionary/: Messages_pl.inc lists every message key with a note for the
// translators, and Messages_<lang>.inc the translations of one language, one line a message:
//     {u8"<Polish>", u8"<text>"},
// To plug a file in, include it into a MessageText array and hand that to the dictionary:
//
//     static constexpr MessageText kKeys[] = {
//     #include "dictionary/Messages_pl.inc"
//     };
//     static constexpr MessageText kEnglish[] = {
//     #include "dictionary/Messages_en.inc"
//     };
//     dictionary.addKeys(kKeys);
//     dictionary.addTranslations(Lang::English, kEnglish);
//
// Until the files are in, the dictionary is empty and every message shows in Polish.

#include "lang/MessageDictionary.h"

namespace tarvola {

MessageDictionary builtInDictionary()
{
    MessageDictionary dictionary;
    return dictionary;
}

} // namespace tarvola
