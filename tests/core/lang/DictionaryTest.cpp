// The message dictionary and the language files as data: every message has every language it is due,
// no translation is a placeholder or the Polish left in place, and each keeps the Polish text's format
// specifiers, line breaks and edge spaces (the code glues numbers and other texts to them).

#include "LangTestSupport.h"

#include <regex>
#include <set>

#include "lang/CLangFile.h"
#include "lang/MessageDictionary.h"

using namespace tarvola;

namespace {

std::string str(const char8_t* s)
{
    return reinterpret_cast<const char*>(s);
}

// Texts that are the same in every language: units, abbreviations and names.
const std::set<std::string> kSameEverywhere = {"RPM", "ms", "kPa", "C", " ms ", "CAN", "UNKNOWN", "Full group",
                                               "OBD II (EUROPA)", "Lambda %d"};

// Words that happen to be spelt the same in Polish and in one language (checked by hand).
const std::set<std::pair<int, std::string>> kCognates = {
    {Lang::Spanish, "Mapa"},        {Lang::Portuguese, "Mapa"},     {Lang::Spanish, "Mapa +1%"},
    {Lang::Spanish, "Mapa -1%"},    {Lang::Portuguese, "Mapa +1%"}, {Lang::Portuguese, "Mapa -1%"},
    {Lang::Croatian, "Mapa +1%"},   {Lang::Croatian, "Mapa -1%"},   {Lang::Slovenian, "Mapa +1%"},
    {Lang::Slovenian, "Mapa -1%"},  {Lang::Czech, "Mapa +1%"},      {Lang::Czech, "Mapa -1%"}};

std::vector<std::string> specifiers(const std::string& text)
{
    static const std::regex formatSpecifier(R"(%[-+ #0]*[0-9*]*(\.[0-9*]+)?[hlLqjzt]*[diouxXeEfgGcspn%])");
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), formatSpecifier); it != std::sregex_iterator(); ++it)
        out.push_back(it->str());
    return out;
}

std::string leadingSpaces(const std::string& s)
{
    return s.substr(0, s.find_first_not_of(' '));
}

std::string trailingSpaces(const std::string& s)
{
    const auto last = s.find_last_not_of(' ');
    return last == std::string::npos ? s : s.substr(last + 1);
}

// The checks every translation of `polish` must pass; `where` names it in failures.
void expectFaithful(int language, const std::string& polish, const std::string& text, const std::string& where)
{
    EXPECT_FALSE(text.empty()) << where;
    if (!kSameEverywhere.count(polish) && !kCognates.count({language, polish})) {
        EXPECT_NE(text, polish) << where << ": the Polish text was left in place";
    }
    for (const char* placeholder : {"TODO", "???", "XXX", "FIXME"})
        EXPECT_EQ(text.find(placeholder), std::string::npos) << where;
    EXPECT_EQ(specifiers(text), specifiers(polish)) << where;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(polish.begin(), polish.end(), '\n')) << where;
    EXPECT_EQ(leadingSpaces(text), leadingSpaces(polish)) << where;
    EXPECT_EQ(trailingSpaces(text), trailingSpaces(polish)) << where;
}

const int kBuiltInColumns[] = {Lang::English, Lang::Italian,  Lang::Spanish, Lang::Portuguese, Lang::Croatian,
                               Lang::Russian, Lang::Turkish,  Lang::German,  Lang::Slovenian};

} // namespace

TEST(Dictionary, EveryBuiltInColumnTranslatesEveryMessageOnceAndFaithfully)
{
    const auto keys = builtInMessageKeys();
    std::set<std::string> unique;
    for (const auto& k : keys) {
        EXPECT_TRUE(unique.insert(str(k.polish)).second) << "twice: " << str(k.polish);
        EXPECT_FALSE(str(k.text).empty()) << "no translator note: " << str(k.polish);
    }
    for (int language : kBuiltInColumns) {
        const auto texts = builtInTranslations(language);
        ASSERT_EQ(texts.size(), keys.size()) << languageListNames()[static_cast<std::size_t>(language)];
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const std::string polish = str(keys[i].polish);
            ASSERT_EQ(str(texts[i].polish), polish) << "language " << language << " entry " << i;
            expectFaithful(language, polish, str(texts[i].text), "language " + std::to_string(language) + ": " + polish);
        }
    }
    // Czech and Lithuanian come from their language files, Thai has no column at all.
    EXPECT_TRUE(builtInTranslations(Lang::Czech).empty());
    EXPECT_TRUE(builtInTranslations(Lang::Lithuanian).empty());
    EXPECT_TRUE(builtInTranslations(Lang::Thai).empty());
}

TEST(Dictionary, LanguageFilesCoverEveryMessage)
{
    const std::string folder = std::string(TARVOLA_SOURCE_DATA_DIR) + "/E_Lang/";
    for (const auto& [name, language] : {std::pair{"THAI.csv", int(Lang::Thai)}, std::pair{"CZECH.csv", int(Lang::Czech)},
                                         std::pair{"LITHUANIAN.csv", int(Lang::Lithuanian)}}) {
        const CLangFile file(folder + name);
        ASSERT_TRUE(file.isOpen()) << name;
        // The files also carry the windows' texts.
        EXPECT_GE(file.entryCount(), builtInMessageKeys().size()) << name;
        for (const auto& k : builtInMessageKeys()) {
            const std::string polish = str(k.polish);
            const std::string text = file.lookup(polish);
            expectFaithful(language, polish, text, std::string(name) + ": " + polish);
        }
    }
}
