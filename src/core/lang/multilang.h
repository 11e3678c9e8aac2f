#pragma once
// The multi-language texts in one include: languages, the start-up, the message dictionary and
// translate(), the per-window text tables and the language files.

#include "lang/CLangFile.h"
#include "lang/CMultiLangText.h"
#include "lang/Language.h"
#include "lang/LanguageServices.h"
#include "lang/LocaleLanguage.h"
#include "lang/MessageDictionary.h"
#include "lang/TextTargets.h"
#include "lang/translate.h"
