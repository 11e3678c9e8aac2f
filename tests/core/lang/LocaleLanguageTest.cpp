// The start language from the locale: the environment's order, the locale name, the LANGID table.

#include <gtest/gtest.h>

#include <map>

#include "lang/Language.h"
#include "lang/LocaleLanguage.h"

using namespace tarvola;

TEST(LocaleLanguage, LangIdsWithTheirVariantsAndLocaleNames)
{
    // Both Portuguese variants, country variants by their primary language, French not offered.
    const std::pair<int, int> ids[] = {{1046, Lang::Portuguese}, {2070, Lang::Portuguese}, {5127, Lang::German},
                                       {20490, Lang::Spanish},   {1036, Lang::English},    {0, Lang::English}};
    for (const auto& [id, language] : ids)
        EXPECT_EQ(languageFromLangId(id), language) << id;

    const std::pair<const char*, int> names[] = {
        {"pt_BR.UTF-8", 1046}, {"pt_PT.UTF-8@euro", 2070}, {"pt", 2070}, {"de_AT.UTF-8", 1031}, {"th_TH", 1054},
        {"cs-CZ", 1029},       {"pl", 1045},               {"C", 1033},  {"POSIX", 1033},       {"C.UTF-8", 1033},
        {"", 1033},            {"en_GB.UTF-8", 1033},      {"fr_FR", 1033},
    };
    for (const auto& [name, id] : names)
        EXPECT_EQ(langIdFromLocaleName(name), id) << name;
}

TEST(LocaleLanguage, EnvironmentOrderIsAllThenMessagesThenLang)
{
    std::map<std::string, std::string> env;
    const EnvironmentReader read = [&](const char* name) -> const char* {
        const auto it = env.find(name);
        return it == env.end() ? nullptr : it->second.c_str();
    };
    const std::pair<std::map<std::string, std::string>, int> cases[] = {
        {{}, Lang::English},
        {{{"LANG", "lt_LT.UTF-8"}}, Lang::Lithuanian},
        {{{"LANG", "lt_LT.UTF-8"}, {"LC_MESSAGES", "es_MX.UTF-8"}}, Lang::Spanish},
        {{{"LANG", "lt_LT.UTF-8"}, {"LC_MESSAGES", "es_MX.UTF-8"}, {"LC_ALL", "C"}}, Lang::English},
        {{{"LANG", "ru_RU.UTF-8"}, {"LC_ALL", ""}}, Lang::Russian}, // set but empty counts as unset
    };
    for (const auto& [environment, language] : cases) {
        env = environment;
        EXPECT_EQ(defaultLanguage(read), language) << (env.empty() ? "" : env.begin()->second);
    }
}
