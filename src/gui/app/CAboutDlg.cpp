#include "app/CAboutDlg.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/CVeldranixDoc.h"
#include "app/DataFolder.h"
#include "lang/QtTextTargets.h"
#include "platform/Version.h"

namespace tarvola::gui {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_edit(new QPlainTextEdit(this))
{
    auto* layout = new QVBoxLayout(this);
    setTextId(m_edit, aboutids::Text);
    m_edit->setReadOnly(true);
    m_edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_edit->setPlainText(aboutText());
    m_edit->moveCursor(QTextCursor::End);
    m_edit->setMinimumSize(580, 190);
    layout->addWidget(m_edit);
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

QString CAboutDlg::aboutText() const
{
    auto line = [this](int id) {
        try {
            return qs(text(id));
        } catch (const IError&) {
            return QString();
        }
    };
    const QString documents = guidePage(currentLanguage());
    // The version comes from the build, the one number every program and the package show.
    return QStringLiteral("TARVOLA v %1 LPG").arg(QLatin1String(programVersion())) + QLatin1Char('\n') + line(aboutids::Purpose) +
           QStringLiteral("\n\n") + line(aboutids::Licence) + QStringLiteral("\n\n") + line(aboutids::Guide) +
           QLatin1Char('\n') + documents + QLatin1Char('\n');
}

} // namespace tarvola::gui
