#pragma once
// The about box: the program's version and the distributor's contact in a read-only text.

#include <QDialog>
#include <QPlainTextEdit>

#include "lang/WindowTexts.h"

namespace tarvola::gui {

class CAboutDlg : public QDialog, public CAboutDlgTexts {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    QPlainTextEdit* text() const { return m_text; }

private:
    QPlainTextEdit* m_text;
};

} // namespace tarvola::gui
