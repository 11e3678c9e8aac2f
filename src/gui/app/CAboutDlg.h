#pragma once
// The about box: the program's name and version, what it is for, its licence and where its user's
// guide is, in a read-only text in the current language, with the caret at its end.

#include <QDialog>
#include <QPlainTextEdit>

#include "lang/WindowTexts.h"

namespace tarvola::gui {

class CAboutDlg : public QDialog, public CAboutDlgTexts {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    QPlainTextEdit* edit() const { return m_edit; }
    // The text the box shows in the current language.
    QString aboutText() const;

private:
    QPlainTextEdit* m_edit;
};

} // namespace tarvola::gui
