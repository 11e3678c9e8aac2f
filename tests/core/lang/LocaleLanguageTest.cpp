// The start language from the locale: the environment's order, the locale name, the LANGID table.

#include <gtest/gtest.h>

#include <map>

#include "lang/Language.h"
#include "lang/LocaleLanguage.h"

using namespace tarvola;

TEST(LocaleLanguage, LangIdTableWithItsVariants)
{
    EXPECT_EQ(languageFromLangId(1046), Lang::Portuguese);
    EXPECT_EQ(languageFromLangId(2070), Lang::Portuguese);
    EXPECT_EQ(languageFromLangId(1054), Lang::Thai);
    EXPECT_EQ(languageFromLangId(1045), Lang::Polish);
    EXPECT_EQ(languageFromLangId(5127), Lang::German);
    EXPECT_EQ(languageFromLangId(20490), Lang::Spanish);
    EXPECT_EQ(languageFromLangId(1033), Lang::English);
    EXPECT_EQ(languageFromLangId(1036), Lang::English); // French is not offered
    EXPECT_EQ(languageFromLangId(0), Lang::English);
}

TEST(LocaleLanguage, LocaleNamesAndTheEnvironmentOrder)
{
    EXPECT_EQ(langIdFromLocaleName("pt_BR.UTF-8"), 1046);
    EXPECT_EQ(langIdFromLocaleName("pt_PT.UTF-8@euro"), 2070);
    EXPECT_EQ(langIdFromLocaleName("pt"), 2070);
    EXPECT_EQ(langIdFromLocaleName("de_AT.UTF-8"), 1031);
    EXPECT_EQ(langIdFromLocaleName("th_TH"), 1054);
    EXPECT_EQ(langIdFromLocaleName("cs-CZ"), 1029);
    EXPECT_EQ(langIdFromLocaleName("pl"), 1045);
    for (const char* english : {"C", "POSIX", "C.UTF-8", "", "en_GB.UTF-8", "fr_FR"})
        EXPECT_EQ(langIdFromLocaleName(english), 1033) << english;

    std::map<std::string, std::string> env;
    const EnvironmentReader read = [&](const char* name) -> const char* {
        const auto it = env.find(name);
        return it == env.end() ? nullptr : it->second.c_str();
    };
    EXPECT_EQ(defaultLanguage(read), Lang::English);
    env = {{"LANG", "lt_LT.UTF-8"}};
    EXPECT_EQ(defaultLanguage(read), Lang::Lithuanian);
    env = {{"LANG", "lt_LT.UTF-8"}, {"LC_MESSAGES", "es_MX.UTF-8"}};
    EXPECT_EQ(defaultLanguage(read), Lang::Spanish);
    env = {{"LANG", "lt_LT.UTF-8"}, {"LC_MESSAGES", "es_MX.UTF-8"}, {"LC_ALL", "C"}};
    EXPECT_EQ(defaultLanguage(read), Lang::English);
    env = {{"LANG", "ru_RU.UTF-8"}, {"LC_ALL", ""}}; // set but empty counts as unset
    EXPECT_EQ(defaultLanguage(read), Lang::Russian);
}
