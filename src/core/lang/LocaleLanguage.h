#pragma once
// The language to start in, from the user's POSIX locale.
//
// The locale name becomes the LANGID the language table was drawn up in, and the LANGID becomes a
// language id; keeping both steps lets the table stay as it is known, variants included (every
// German and Spanish LANGID, both Portuguese ones).

#include <functional>
#include <string>
#include <string_view>

namespace tarvola {

// The language id for a LANGID; English (1) for any LANGID the table does not list.
int languageFromLangId(int langId);

// The LANGID for a locale name such as "pl_PL.UTF-8", "pt_BR", "de_AT.UTF-8@euro": the language
// code decides, and for Portuguese the territory (Brazil 1046, elsewhere 2070). Names the table
// does not know ("C", "POSIX", "", "en_GB.UTF-8", "fr_FR") give 1033, English.
int langIdFromLocaleName(std::string_view locale);

// Reads an environment variable; nullptr when it is not set. Injectable for tests.
using EnvironmentReader = std::function<const char*(const char*)>;

// The locale that decides message texts, by the POSIX order: the first non-empty of LC_ALL,
// LC_MESSAGES and LANG; "C" when all are unset or empty. An empty reader means the real environment.
std::string messagesLocaleName(const EnvironmentReader& getenv = {});

// languageFromLangId(langIdFromLocaleName(messagesLocaleName(getenv))).
int defaultLanguage(const EnvironmentReader& getenv = {});

} // namespace tarvola
