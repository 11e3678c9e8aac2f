#pragma once
// The translation hook for user-visible texts. Texts are written in Polish in the program and
// translated at display time; until the language tables are in place the Polish text is shown.

#include <string>

namespace tarvola {

std::string translate(const std::string& polish);

} // namespace tarvola
