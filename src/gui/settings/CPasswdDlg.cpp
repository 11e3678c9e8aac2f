#include "settings/CPasswdDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "lang/QtTextTargets.h"
#include "settings/SettingsPages.h"

namespace tarvola::gui {

CPasswdDlg::CPasswdDlg(QWidget* parent) : QDialog(parent), m_entry(new QLineEdit(this))
{
    auto* layout = new QVBoxLayout(this);
    auto* prompt = new QLabel(this);
    setTextId(prompt, 1201);
    prompt->setBuddy(m_entry);
    m_entry->setEchoMode(QLineEdit::Password);
    m_entry->setMinimumWidth(220);
    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QDialogButtonBox::Ok);
    setTextId(ok, ids::Ok);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CPasswdDlg::onOk);
    layout->addWidget(prompt);
    layout->addWidget(m_entry);
    layout->addWidget(buttons);
    CWidgetTextTarget target(this);
    try {
        apply(target);
    } catch (const IError&) {
        // A table without a text leaves the dialog's labels as they were.
    }
}

void CPasswdDlg::onOk()
{
    const QByteArray entry = m_entry->text().toUtf8();
    if (advancedPasswordMatches(std::string_view(entry.constData(), static_cast<std::size_t>(entry.size()))))
        accept();
}

} // namespace tarvola::gui
