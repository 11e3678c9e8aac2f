#include "lang/CMultiLangText.h"

#include "lang/LanguageServices.h"

#include <utility>
#include <vector>

namespace tarvola {

namespace {
// Reads the current language once and checks that value, so a switch by another thread between
// the check and the use cannot slip an unchecked id through.
int checkedLanguage()
{
    const int language = currentLanguage();
    if (!isSupportedLanguage(language))
        throw CLangError(CLangError::NotSupported, "CMultiLangText::checkLang()", __LINE__, "multilang");
    return language;
}
} // namespace

void CMultiLangText::checkLang()
{
    checkedLanguage();
}

std::string CMultiLangText::text(int id) const
{
    const int language = checkedLanguage();
    const auto it = m_table.find(id);
    if (it == m_table.end())
        raise(CLangError::TextNotFound, "CMultiLangText::text", __LINE__, "multilang");
    const Texts& texts = it->second;
    const std::string& polish = texts[Lang::Polish];
    if (isFileLanguage(language))
        return lookupLanguageFile(language, polish);
    const std::string& own = texts[static_cast<std::size_t>(language)];
    return own.empty() ? polish : own;
}

void CMultiLangRes::addText(int id, const TwelveTexts& texts)
{
    Texts byLanguage;
    for (std::size_t column = 0; column < texts.size(); ++column)
        byLanguage[static_cast<std::size_t>(kTextColumnLanguage[column])] = std::string(texts[column]);
    m_table.insert_or_assign(id, std::move(byLanguage));
}

void CMultiLangWnd::apply(ITextTarget& window) const
{
    std::vector<std::pair<int, std::string>> texts;
    for (const auto& entry : m_table)
        if (entry.first != kCaptionId)
            texts.emplace_back(entry.first, text(entry.first));
    for (const auto& [id, t] : texts)
        window.setControlText(id, t);
    window.repaint();
}

void CMultiLangDlgWnd::apply(ITextTarget& window) const
{
    const std::string caption = text(kCaptionId);
    CMultiLangWnd::apply(window);
    window.setCaption(caption);
}

void CMultiLangMenu::apply(IMenuTarget& menu) const
{
    struct Label {
        int position;
        int entry; // -1 for the top-level entry itself
        std::string text;
    };
    std::vector<Label> labels;
    const int count = menu.topLevelCount();
    for (int position = 0; position < count; ++position) {
        labels.push_back({position, -1, text(position)});
        const std::vector<int> commands = menu.entryCommands(position);
        for (std::size_t entry = 0; entry < commands.size(); ++entry)
            if (commands[entry] > 0)
                labels.push_back({position, static_cast<int>(entry), text(commands[entry])});
    }
    for (const Label& label : labels) {
        if (label.entry < 0)
            menu.setTopLevelText(label.position, label.text);
        else
            menu.setEntryText(label.position, label.entry, label.text);
    }
    menu.redraw();
}

} // namespace tarvola
