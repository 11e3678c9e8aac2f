#pragma once
// Per-window text tables. Every window class has a companion text class (CViewTexts for CView, ...)
// that derives from one of these and fills its table with addText() in its constructor; the window
// then applies the table to itself when it opens and again when the language changes.
//
// Texts are UTF-8 std::string throughout; the GUI converts them where it hands them to its toolkit,
// so no wide strings are needed here.

#include "errors/IError.h"
#include "lang/Language.h"
#include "lang/TextTargets.h"

#include <array>
#include <map>
#include <string>

namespace tarvola {

// Owns one window's text table: identifier -> the built-in texts by language id. Identifiers are
// the window's control identifiers, kCaptionId the window's caption; menus key top-level entries by
// position (0, 1, 2, ...) and drop-down entries by command identifier.
class CMultiLangText : public IErrorHelper<CLangError> {
public:
    static constexpr int kCaptionId = -2;
    // Index = language id 0..11.
    using Texts = std::array<std::string, kBuiltInLanguageCount>;
    using TextTable = std::map<int, Texts>;

    CMultiLangText() = default;
    ~CMultiLangText() override = default;

    // The text for `id` in the current language:
    // - Thai, Czech, Lithuanian: the language file's translation of the entry's Polish text (the
    //   Polish text when the file has none or is missing);
    // - the other languages: the entry's built-in text, or its Polish text when that one is empty.
    // Raises CLangError 5 (see checkLang()) for an unsupported current language, and CLangError 6
    // from "CMultiLangText::text" when the table has no entry for `id`.
    virtual std::string text(int id) const;

    const TextTable& table() const { return m_table; }

    // Raises CLangError 5 from "CMultiLangText::checkLang()" when the current language is not 0..12.
    static void checkLang();

protected:
    // Fills the table; empty here. A Texts class overrides it and calls it from its own constructor
    // (a virtual call from this constructor would not reach the override).
    virtual void fillTexts() {}

    TextTable m_table;
};

class CMultiLangRes : public CMultiLangText {
public:
    // Stores the entry for `id` from twelve texts in TwelveTexts order (Polish, English, Italian,
    // Spanish, Portuguese, Croatian, Russian, Turkish, German, Slovenian, Czech, Lithuanian),
    // replacing any entry for `id`.
    void addText(int id, const TwelveTexts& texts);
};

// The text table of a window with controls.
class CMultiLangWnd : public CMultiLangRes {
public:
    // Sets every control named in the table (the caption entry aside) to its text, then asks the
    // window to repaint. All texts are looked up first: when a lookup raises, the window is left as
    // it was.
    virtual void apply(ITextTarget& window) const;
};

// The text table of a dialog: apply also sets the caption from the kCaptionId entry, which must
// exist (else CLangError 6, raised before anything changes).
class CMultiLangDlgWnd : public CMultiLangWnd {
public:
    void apply(ITextTarget& window) const override;
};

// The text table of a menu bar.
class CMultiLangMenu : public CMultiLangRes {
public:
    // Relabels top-level entry i with text(i) and every drop-down entry with a positive command
    // identifier with text(command), then asks for a redraw. Every text, one for each top-level
    // position included, must be in the table (else CLangError 6); all are looked up before the
    // first change, so a failure leaves the menu as it was.
    virtual void apply(IMenuTarget& menu) const;
};

} // namespace tarvola
