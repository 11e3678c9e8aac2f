#include "monitor/CCommLogDlg.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/CVeldranixDoc.h"
#include "lang/QtTextTargets.h"
#include "lang/translate.h"
#include "platform/AppConfig.h"

namespace tarvola::gui {

CCommLogDlg::CCommLogDlg(CVeldranixDoc& doc, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_log(new QPlainTextEdit(this)), m_pause(new QPushButton(this)),
      m_save(new QPushButton(this)), m_status(new QLabel(this))
{
    m_log->setReadOnly(true);
    // A reply runs to some 90 bytes; wrapped, its command's name at the end stays in sight.
    m_log->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_log->setMaximumBlockCount(kMaxLines);
    m_log->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_log->setUndoRedoEnabled(false);

    m_pause->setCheckable(true);
    setTextId(m_pause, commlogids::Pause);
    auto* clearButton = new QPushButton(this);
    setTextId(clearButton, commlogids::Clear);
    setTextId(m_save, commlogids::Save);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    setTextId(close->button(QDialogButtonBox::Close), ids::Cancel);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pause);
    buttons->addWidget(clearButton);
    buttons->addWidget(m_save);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_log, 1);
    layout->addWidget(m_status);
    layout->addLayout(buttons);
    resize(900, 520);

    connect(m_pause, &QPushButton::toggled, this, &CCommLogDlg::setPaused);
    connect(clearButton, &QPushButton::clicked, this, &CCommLogDlg::clear);
    connect(m_save, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, m_save->text().remove(QStringLiteral("...")),
                                                          QDir::homePath(), QStringLiteral("*.txt;;*"));
        if (!path.isEmpty())
            saveTo(path);
    });
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_drainTimer.setInterval(kDrainMs);
    connect(&m_drainTimer, &QTimer::timeout, this, &CCommLogDlg::takeFrames);
    connect(&m_doc, &CVeldranixDoc::languageChanged, this, &CCommLogDlg::applyTexts);
    applyTexts();
}

CCommLogDlg::~CCommLogDlg()
{
    observe(false);
}

void CCommLogDlg::observe(bool on)
{
    if (on == m_observing)
        return;
    m_observing = on;
    if (on) {
        m_queue.clear();
        m_doc.setFrameObserver(&m_queue);
        m_drainTimer.start();
    } else {
        // The device's only observer slot is this window's: nothing else in the application traces.
        m_doc.setFrameObserver(nullptr);
        m_drainTimer.stop();
        m_queue.clear();
    }
}

void CCommLogDlg::showEvent(QShowEvent* event)
{
    observe(true);
    QDialog::showEvent(event);
}

void CCommLogDlg::hideEvent(QHideEvent* event)
{
    observe(false);
    QDialog::hideEvent(event);
}

void CCommLogDlg::takeFrames()
{
    std::vector<std::string> lines;
    m_queueDropped += m_queue.drain(lines);
    if (lines.empty() || m_pause->isChecked()) {
        showStatus();
        return;
    }
    QString text;
    for (const std::string& line : lines) {
        if (!text.isEmpty())
            text += QChar('\n');
        text += qs(line);
    }
    // One append for the whole batch: the list lays out once a tick, however busy the line is.
    m_log->appendPlainText(text);
    m_linesShown += lines.size();
    showStatus();
}

void CCommLogDlg::setPaused(bool paused)
{
    if (m_pause->isChecked() != paused)
        m_pause->setChecked(paused);
    showStatus();
}

void CCommLogDlg::clear()
{
    m_log->clear();
    m_linesShown = 0;
    m_queueDropped = 0;
    showStatus();
}

std::size_t CCommLogDlg::droppedLines() const
{
    const std::size_t kept = static_cast<std::size_t>(kMaxLines);
    return m_queueDropped + (m_linesShown > kept ? m_linesShown - kept : 0);
}

void CCommLogDlg::showStatus()
{
    QString text;
    if (const std::size_t dropped = droppedLines(); dropped > 0)
        text = qs(translate("Starsze wiersze usunięto z dziennika: %d"))
                   .replace(QStringLiteral("%d"), QString::number(static_cast<qulonglong>(dropped)));
    if (m_pause->isChecked())
        text = qs(translate("Wstrzymano: nowe ramki nie są pokazywane.")) + (text.isEmpty() ? QString() : "  " + text);
    m_status->setText(text);
    m_status->setVisible(!text.isEmpty());
}

bool CCommLogDlg::saveTo(const QString& path)
{
    QString text = m_log->toPlainText();
    if (!text.isEmpty())
        text += QChar('\n');
    const QByteArray bytes = text.toUtf8();
    if (writeFileAtomically(path.toStdString(), std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()))))
        return true;
    m_doc.prompt().error(translate("Nie można zapisać pliku:") + "\n" + path.toStdString());
    return false;
}

void CCommLogDlg::applyTexts()
{
    CWidgetTextTarget target(this);
    try {
        apply(target);
    } catch (const IError&) {
        // A missing text leaves the window as it was.
    }
    showStatus();
}

} // namespace tarvola::gui
