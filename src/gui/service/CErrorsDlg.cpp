#include "service/CErrorsDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/CVeldranixDoc.h"
#include "lang/QtTextTargets.h"
#include "lang/translate.h"
#include "service/DeviceErrorsCommands.h"
#include "service/SettingsChange.h"

namespace tarvola::gui {

namespace {

constexpr std::uint8_t kContinuousErrorBuzzer = flags::ContinuousErrorBuzzer;

// The buzzer box as a settings control, so its write takes the same road as every page's check box.
SettingControl buzzerControl()
{
    SettingControl c;
    c.id = errids::Buzzer;
    c.kind = ControlKind::Check;
    c.handler = "CErrorsDlg::OnChkBuzerSignalContinious";
    c.get = [](const CDeviceSettings& s) { return (s.m_base.m_flags & kContinuousErrorBuzzer) ? 1.0 : 0.0; };
    c.set = [](CDeviceSettings& s, double on) {
        s.m_base.m_flags = static_cast<std::uint8_t>(on != 0 ? (s.m_base.m_flags | kContinuousErrorBuzzer)
                                                             : (s.m_base.m_flags & ~kContinuousErrorBuzzer));
    };
    c.blocks = {SettingsBlock::Base};
    return c;
}

} // namespace

CErrorsDlg::CErrorsDlg(CVeldranixDoc& doc, QWidget* parent) : QDialog(parent), m_doc(doc)
{
    auto* layout = new QVBoxLayout(this);

    m_text = new QLabel(this);
    setTextId(m_text, errids::Text);
    m_text->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text->setMinimumSize(360, 160);
    layout->addWidget(m_text, 1);

    m_buzzer = new QCheckBox(this);
    setTextId(m_buzzer, errids::Buzzer);
    connect(m_buzzer, &QCheckBox::clicked, this, &CErrorsDlg::OnChkBuzerSignalContinious);
    layout->addWidget(m_buzzer);

    auto* buttons = new QHBoxLayout;
    m_clear = new QPushButton(this);
    setTextId(m_clear, errids::Clear);
    m_clear->setAutoDefault(false);
    connect(m_clear, &QPushButton::clicked, this, &CErrorsDlg::OnBtnClear);
    buttons->addWidget(m_clear);
    buttons->addStretch(1);
    auto* ok = new QPushButton(this);
    setTextId(ok, ids::Ok);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(ok);
    layout->addLayout(buttons);

    connect(&m_doc, &CVeldranixDoc::changed, this, &CErrorsDlg::documentChanged);
    connect(&m_doc, &CVeldranixDoc::languageChanged, this, [this] {
        applyTexts();
        showErrors();
    });
    OnInitDialog();
}

void CErrorsDlg::open(CVeldranixDoc& doc, QWidget* parent)
{
    CErrorsDlg dlg(doc, parent);
    dlg.exec();
}

QString CErrorsDlg::errorText() const
{
    return m_text->text();
}

void CErrorsDlg::applyTexts()
{
    CWidgetTextTarget target(this);
    try {
        apply(target);
    } catch (const IError&) {
        // A table without a text leaves the dialog's labels as they were.
    }
}

void CErrorsDlg::OnInitDialog()
{
    applyTexts();
    showBuzzer();
    m_clear->setEnabled(m_doc.isConnected());
    // Without a controller there is nothing to ask: the text shows what the last reading left.
    if (m_doc.isConnected()) {
        try {
            // A failed read leaves the model knowing no faults, so the text stays empty.
            readDeviceErrors(m_doc);
        } catch (const IError& e) {
            m_doc.prompt().errorBox("CErrorsDlg::OnInitDialog()", e);
        }
        m_doc.noteChange(DeviceChange::of(DeviceChange::StoredErrors));
    }
    showErrors();
}

void CErrorsDlg::OnBtnClear()
{
    try {
        const auto result = clearDeviceErrors(m_doc);
        m_doc.noteChange(DeviceChange::of(DeviceChange::StoredErrors));
        if (!result.cleared)
            m_doc.prompt().plain(translate(result.failureText));
    } catch (const IError& e) {
        m_doc.noteChange(DeviceChange::of(DeviceChange::StoredErrors));
        m_doc.prompt().errorBox("CErrorsDlg::OnBtnClear()", e);
    }
    m_text->clear();
    accept();
}

void CErrorsDlg::OnChkBuzerSignalContinious()
{
    const bool on = m_buzzer->isChecked();
    if (!m_doc.isConnected()) {
        showBuzzer();
        return;
    }
    try {
        const ChangeResult result = applySettingChange(m_doc, buzzerControl(), on ? 1 : 0);
        if (result == ChangeResult::NotConnected)
            showBuzzer();
        else if (const char* failure = changeFailureMessage(result); *failure)
            m_doc.prompt().error(translate(failure));
    } catch (const IError& e) {
        m_doc.prompt().errorBox("CErrorsDlg::OnChkBuzerSignalContinious()", e);
    }
}

void CErrorsDlg::documentChanged(const DeviceChange& change)
{
    if (change.has(DeviceChange::StoredErrors) || change.has(DeviceChange::Replaced))
        showErrors();
    if (change.hasBlock(SettingsBlock::Base) || change.has(DeviceChange::Replaced))
        showBuzzer();
    if (change.has(DeviceChange::Connection))
        m_clear->setEnabled(m_doc.isConnected());
}

void CErrorsDlg::showErrors()
{
    // Each fault comes after a line break and ends in a space: one a line, without the blank first
    // line and the trailing blanks.
    QString text = qs(m_doc.storedErrorsKnown() ? m_doc.storedErrorsText() : std::string());
    text.remove(QChar('\r'));
    m_text->setText(text.trimmed());
}

void CErrorsDlg::showBuzzer()
{
    const QSignalBlocker block(m_buzzer);
    m_buzzer->setChecked(buzzerControl().get(m_doc.m_settings) != 0);
}

} // namespace tarvola::gui
