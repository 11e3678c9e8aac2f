#include "lang/Language.h"

#include <atomic>

namespace tarvola {

namespace {
// Polish is the source language, so texts read right before the start-up has run.
std::atomic<int> g_currentLanguage{Lang::Polish};
} // namespace

const std::array<std::string_view, kLanguageCount>& languageListNames()
{
    // "Pycckuu" is how the Russian entry has always been spelt in the list; users look for it.
    static constexpr std::array<std::string_view, kLanguageCount> names{
        "Polski",  "English", "Pycckuu",    "Deutsch", "Turkish", "Czech",     "Croatian",
        "Slovenian", "Lithuanian", "Italian", "Spanish", "Portuguese", "Thai"};
    return names;
}

int currentLanguage()
{
    return g_currentLanguage.load(std::memory_order_relaxed);
}

void setCurrentLanguage(int id)
{
    g_currentLanguage.store(id, std::memory_order_relaxed);
}

} // namespace tarvola
