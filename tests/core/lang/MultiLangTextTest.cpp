// Window text tables, the message dictionary and translate(), over the process-wide language state.

#include "LangTestSupport.h"

#include "lang/CMultiLangText.h"
#include "lang/MessageDictionary.h"
#include "lang/translate.h"

#include <map>

using namespace tarvola;
using tarvola::testing::LangFolder;
using tarvola::testing::utf16le;

namespace {
// Columns in table order; each text names its language so a swapped column shows.
const TwelveTexts kColumns{"pl", "en", "it", "es", "pt", "hr", "ru", "tr", "de", "sl", "cs", "lt"};

struct FakeWindow : ITextTarget {
    std::map<int, std::string> controls;
    std::string caption = "old caption";
    int repaints = 0;
    void setControlText(int id, const std::string& text) override
    {
        if (controls.contains(id))
            controls[id] = text;
    }
    void setCaption(const std::string& text) override { caption = text; }
    void repaint() override { ++repaints; }
};

struct FakeMenu : IMenuTarget {
    std::vector<std::string> top{"?", "?"};
    std::vector<std::vector<int>> commands{{101, 0, -1, 102}, {}};
    std::map<std::pair<int, int>, std::string> entries;
    int topLevelCount() const override { return static_cast<int>(top.size()); }
    std::vector<int> entryCommands(int position) const override { return commands[static_cast<std::size_t>(position)]; }
    void setTopLevelText(int position, const std::string& text) override { top[static_cast<std::size_t>(position)] = text; }
    void setEntryText(int position, int entry, const std::string& text) override { entries[{position, entry}] = text; }
};

// The two texts a test needs; the other languages' are empty.
TwelveTexts polishEnglish(const char* polish, const char* english)
{
    return {polish, english, "", "", "", "", "", "", "", "", "", ""};
}

std::uint32_t langErrorCode(const std::function<void()>& f)
{
    try {
        f();
    } catch (const CLangError& e) {
        return e.code();
    }
    return 0;
}
} // namespace

using MultiLangText = tarvola::testing::LanguageStateTest;

TEST_F(MultiLangText, UnsupportedLanguagesAndMissingIdentifiersRaiseLangErrors)
{
    CMultiLangRes texts;
    texts.addText(7, kColumns);
    EXPECT_EQ(langErrorCode([&] { texts.text(8); }), 6u);
    for (int unsupported : {13, -1}) {
        setCurrentLanguage(unsupported);
        EXPECT_EQ(langErrorCode([&] { texts.text(7); }), 5u);
        EXPECT_EQ(langErrorCode(&CMultiLangText::checkLang), 5u);
        // translate() is used in error paths and must not raise.
        EXPECT_EQ(translate("Zapisz"), "Zapisz");
    }
    setCurrentLanguage(Lang::Thai);
    EXPECT_EQ(langErrorCode(&CMultiLangText::checkLang), 0u);
}

TEST_F(MultiLangText, EachColumnServesItsLanguageAndFileLanguagesReadTheirFiles)
{
    CMultiLangRes texts;
    texts.addText(1, kColumns);
    const std::map<int, std::string> expected{{0, "pl"}, {1, "en"}, {2, "ru"}, {3, "de"}, {4, "tr"},
                                              {6, "hr"}, {7, "sl"}, {9, "it"}, {10, "es"}, {11, "pt"}};
    for (const auto& [language, text] : expected) {
        setCurrentLanguage(language);
        EXPECT_EQ(texts.text(1), text) << "language " << language;
    }
    // Czech and Lithuanian columns are not shown: those languages come from files, Polish without.
    for (int language : {Lang::Czech, Lang::Lithuanian, Lang::Thai}) {
        setCurrentLanguage(language);
        EXPECT_EQ(texts.text(1), "pl");
    }

    LangFolder dir;
    dir.write("CZECH.csv", utf16le("pl\t\tčeština\r\nZapisz\t\tUložit\r\n"));
    openLanguageFiles(dir.path);
    setCurrentLanguage(Lang::Czech);
    EXPECT_EQ(texts.text(1), "čeština");
    EXPECT_EQ(translate("Zapisz"), "Uložit");
    setCurrentLanguage(Lang::Lithuanian);
    EXPECT_EQ(translate("Zapisz"), "Zapisz");
}

TEST_F(MultiLangText, EmptyTranslationsFallBackInWindowsButNotInMessages)
{
    CMultiLangRes texts;
    texts.addText(3, {"Anuluj", "", "Annulla", "", "", "", "", "", "", "", "", ""});
    MessageDictionary dictionary;
    dictionary.add({"Anuluj", "", "Annulla", "", "", "", "", "", "", "", "", ""});
    static constexpr MessageText kGerman[] = {{u8"Zapisz", u8"Speichern"}, {u8"Pusty", u8""}};
    EXPECT_TRUE(dictionary.addTranslations(Lang::German, kGerman));
    EXPECT_FALSE(dictionary.addTranslations(Lang::Thai, kGerman));
    installMessageDictionary(std::move(dictionary));

    setCurrentLanguage(Lang::English);
    EXPECT_EQ(texts.text(3), "Anuluj");
    EXPECT_EQ(translate("Anuluj"), "");
    EXPECT_EQ(translate("Zapisz"), "Zapisz"); // an entry without an English text
    EXPECT_EQ(translate("Nieznany"), "Nieznany");
    setCurrentLanguage(Lang::Italian);
    EXPECT_EQ(translate("Anuluj"), "Annulla");
    setCurrentLanguage(Lang::German);
    EXPECT_EQ(translate("Zapisz"), "Speichern");
    EXPECT_EQ(translate("Pusty"), "");
}

TEST_F(MultiLangText, ApplyingChangesNothingWhenALookupFails)
{
    setCurrentLanguage(Lang::English);
    CMultiLangDlgWnd dialog;
    dialog.addText(10, polishEnglish("Tak", "Yes"));
    dialog.addText(99, polishEnglish("Brak", "None")); // no such control
    FakeWindow window;
    window.controls = {{10, "old"}};

    EXPECT_EQ(langErrorCode([&] { dialog.apply(window); }), 6u); // no caption entry
    EXPECT_EQ(window.controls[10], "old");
    EXPECT_EQ(window.caption, "old caption");
    EXPECT_EQ(window.repaints, 0);

    dialog.addText(CMultiLangText::kCaptionId, polishEnglish("Hasło", "Password"));
    dialog.apply(window);
    EXPECT_EQ(window.controls, (std::map<int, std::string>{{10, "Yes"}}));
    EXPECT_EQ(window.caption, "Password");
    EXPECT_EQ(window.repaints, 1);

    // Menus: top-level entries by position, drop-down entries by command; separators and
    // sub-menus (no positive command) keep their text.
    CMultiLangMenu menu;
    menu.addText(0, polishEnglish("Plik", "File"));
    menu.addText(101, polishEnglish("Otwórz", "Open"));
    menu.addText(102, polishEnglish("Zamknij", "Close"));
    FakeMenu bar;
    EXPECT_EQ(langErrorCode([&] { menu.apply(bar); }), 6u); // position 1 has no text
    EXPECT_EQ(bar.top[0], "?");
    EXPECT_TRUE(bar.entries.empty());
    menu.addText(1, polishEnglish("Pomoc", "Help"));
    menu.apply(bar);
    EXPECT_EQ(bar.top, (std::vector<std::string>{"File", "Help"}));
    EXPECT_EQ(bar.entries, (std::map<std::pair<int, int>, std::string>{{{0, 0}, "Open"}, {{0, 3}, "Close"}}));
}
