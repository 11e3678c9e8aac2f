#pragma once
// The translation hook for user-visible texts. Texts are written in Polish in the program and
// translated at display time, for message boxes and for texts that code sets while running.
//
// translate(polish) gives the message in the current language, as UTF-8:
// - Polish: the text itself;
// - Thai, Czech, Lithuanian: the language file's translation, else the text itself;
// - the other built-in languages: the message dictionary's text for the language, else the text
//   itself. A dictionary text that is empty is returned empty (only a missing text falls back).
// A current language outside 0..12 gives the text itself. Never throws except for allocation
// failure, so it is safe in error paths and on the polling thread.

#include <string>

namespace tarvola {

std::string translate(const std::string& polish);

} // namespace tarvola
