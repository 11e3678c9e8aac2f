#include "calibration/MapValueDlgs.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "calibration/MapGridModel.h"
#include "controls/CNumEdit.h"
#include "lang/QtTextTargets.h"

namespace tarvola::gui {

namespace {
// What the box lets one type: enough for any number a user means, negative ones included, so that
// the add and subtract dialogs can say why they refuse one.
constexpr int kTypedMin = -999, kTypedMax = 999;
} // namespace

CMapValueDlg::CMapValueDlg(int editId, int promptId, QWidget* parent)
    : QDialog(parent), m_edit(new CNumEdit(kTypedMin, kTypedMax, this))
{
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* prompt = new QLabel(this);
    setTextId(prompt, promptId);
    prompt->setBuddy(m_edit);
    m_edit->setObjectName(QStringLiteral("edit%1").arg(editId));
    row->addWidget(prompt);
    row->addStretch(1);
    row->addWidget(m_edit);
    row->addWidget(new QLabel(QStringLiteral("%"), this));
    layout->addLayout(row);

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QDialogButtonBox::Ok);
    auto* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    setTextId(ok, ids::Ok);
    setTextId(cancel, ids::Cancel);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CMapValueDlg::onOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
    setValue(kStartValue);
    m_edit->selectAll();
}

void CMapValueDlg::setValue(int value)
{
    m_value = value;
    m_edit->setNumber(value);
}

void CMapValueDlg::applyTexts(const CWindowTexts& texts)
{
    CWidgetTextTarget target(this);
    try {
        texts.apply(target);
    } catch (const IError&) {
        // A table without a text leaves the dialog's labels as they were.
    }
}

void CMapValueDlg::onOk()
{
    bool ok = false;
    int value = m_edit->text().toInt(&ok);
    if (!ok) {
        // Nothing a number can be read from: the box keeps the focus, the dialog stays.
        m_edit->setFocus();
        m_edit->selectAll();
        return;
    }
    if (!acceptValue(value)) {
        m_edit->setFocus();
        m_edit->selectAll();
        return;
    }
    setValue(value);
    accept();
}

CMapAddDlg::CMapAddDlg(IUserPrompt& prompt, QWidget* parent)
    : CMapValueDlg(mapdlgids::AddEdit, mapdlgids::AddPrompt, parent), m_prompt(prompt)
{
    applyTexts(*this);
}

bool CMapAddDlg::acceptValue(int& value)
{
    return acceptMapMagnitude(value, m_prompt);
}

CMapSubbDlg::CMapSubbDlg(IUserPrompt& prompt, QWidget* parent)
    : CMapValueDlg(mapdlgids::SubbEdit, mapdlgids::SubbPrompt, parent), m_prompt(prompt)
{
    applyTexts(*this);
}

bool CMapSubbDlg::acceptValue(int& value)
{
    return acceptMapMagnitude(value, m_prompt);
}

CMapSetDlg::CMapSetDlg(QWidget* parent) : CMapValueDlg(mapdlgids::SetEdit, mapdlgids::SetPrompt, parent)
{
    applyTexts(*this);
}

bool CMapSetDlg::acceptValue(int& value)
{
    value = acceptMapSetValue(value);
    return true;
}

} // namespace tarvola::gui
