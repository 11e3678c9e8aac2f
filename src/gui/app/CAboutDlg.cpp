#include "app/CAboutDlg.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "lang/QtTextTargets.h"

namespace tarvola::gui {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_text(new QPlainTextEdit(this))
{
    auto* layout = new QVBoxLayout(this);
    m_text->setReadOnly(true);
    m_text->setPlainText(QStringLiteral("TARVOLA v 1.08 LPG\n"
                                        "VELDRANIX K480\n\n"
                                        "Veldranix Polska Sp. z o.o.\n"
                                        "ul. Warsztatowa 14\n"
                                        "61-312 Poznań\n"
                                        "Pomoc techniczna / Support: +48 61 220 48 00\n"));
    m_text->moveCursor(QTextCursor::End);
    m_text->setMinimumSize(360, 170);
    layout->addWidget(m_text);
    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QDialogButtonBox::Ok);
    setTextId(ok, ids::Ok);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(buttons);
    CWidgetTextTarget target(this);
    try {
        apply(target);
    } catch (const IError&) {
    }
}

} // namespace tarvola::gui
