#include "service/CFirmwareDlg.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/CVeldranixDoc.h"
#include "app/DataFolder.h"
#include "errors/IError.h"
#include "lang/QtTextTargets.h"
#include "lang/translate.h"
#include "service/FirmwareUpdate.h"
#include "service/SettingsActions.h"
#include "platform/NumberText.h"

namespace tarvola::gui {

namespace {

constexpr const char* kNotForController = "Ten plik nie jest obrazem firmware dla tego sterownika.";
constexpr const char* kWriting = "Zapisywanie firmware: nie wyłączaj zapłonu i nie odłączaj kabla.";
constexpr const char* kReconnecting = "Łączenie ze sterownikiem...";
constexpr const char* kDone = "Firmware zapisany. Wersja sterownika: ";
constexpr const char* kFailed = "Nie powiodło się zaprogramowanie urządzenia!";

CFirmwareDlg::FileChooser& fileChooser()
{
    static CFirmwareDlg::FileChooser chooser;
    return chooser;
}

QString versionText(unsigned version)
{
    return QString::fromStdString(hexWordText(version));
}

QString minutesSeconds(qint64 ms)
{
    const qint64 s = (ms + 999) / 1000;
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

void CFirmwareDlg::setFileChooser(FileChooser chooser)
{
    fileChooser() = std::move(chooser);
}

CFirmwareDlg::CFirmwareDlg(CVeldranixDoc& doc, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_file(new QLabel(this)), m_fileVersion(new QLabel(this)),
      m_fileDevice(new QLabel(this)), m_controller(new QLabel(this)), m_controllerVersion(new QLabel(this)),
      m_backup(new QLabel(this)), m_timeLeft(new QLabel(this)), m_status(new QLabel(this)),
      m_progress(new QProgressBar(this)), m_choose(new QPushButton(this)), m_start(new QPushButton(this)),
      m_close(nullptr)
{
    using namespace fwdlgids;
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    int row = 0;
    const auto addRow = [&](int id, QWidget* value) {
        auto* caption = new QLabel(this);
        setTextId(caption, id);
        // Captions and values share their top line, also beside a path that wraps.
        grid->addWidget(caption, row, 0, Qt::AlignLeft | Qt::AlignTop);
        grid->addWidget(value, row++, 1, Qt::AlignTop);
    };
    addRow(FileLabel, m_file);
    grid->addWidget(m_choose, 0, 2, Qt::AlignTop);
    addRow(FileVersion, m_fileVersion);
    addRow(FileDevice, m_fileDevice);
    addRow(Controller, m_controller);
    addRow(ControllerVersion, m_controllerVersion);
    addRow(Backup, m_backup);
    addRow(Blocks, m_progress);
    addRow(TimeLeft, m_timeLeft);
    grid->setColumnStretch(1, 1);
    for (QLabel* value : {m_file, m_backup})
        value->setWordWrap(true);
    for (QLabel* value : {m_file, m_backup, m_controllerVersion})
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    setTextId(m_choose, Choose);
    m_choose->setAutoDefault(false);
    m_progress->setFormat(QStringLiteral("%v / %m"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    // The count means nothing until the controller's block count is known.
    m_progress->setTextVisible(false);
    m_progress->setMinimumWidth(320);
    m_timeLeft->setText(QStringLiteral("—"));
    m_status->setWordWrap(true);
    m_status->setMinimumHeight(m_status->fontMetrics().height() * 2);
    layout->addLayout(grid);
    layout->addWidget(m_status);

    auto* box = new QDialogButtonBox(this);
    box->addButton(m_start, QDialogButtonBox::AcceptRole);
    setTextId(m_start, Start);
    m_start->setEnabled(false);
    m_close = box->addButton(QDialogButtonBox::Cancel);
    setTextId(m_close, ids::Cancel);
    layout->addWidget(box);
    // The box's roles would close the window; the buttons do their own work.
    disconnect(box, nullptr, this, nullptr);
    connect(m_choose, &QPushButton::clicked, this, &CFirmwareDlg::onChoose);
    connect(m_start, &QPushButton::clicked, this, &CFirmwareDlg::onStart);
    connect(m_close, &QPushButton::clicked, this, &CFirmwareDlg::reject);

    showController();
    m_backup->setText(QString::fromStdString(settingsFolder().value_or("")));
    CWidgetTextTarget target(this);
    try {
        apply(target);
    } catch (const IError&) {
        // A table without a text leaves the window's labels as they were.
    }
}

void CFirmwareDlg::showController()
{
    const CDevInfo& info = m_doc.m_settings.m_devInfo;
    m_controller->setText(QString::fromStdString(info.m_name));
    m_controllerVersion->setText(m_doc.identityKnown() ? versionText(static_cast<unsigned>(info.m_version)) : QString());
}

void CFirmwareDlg::setStatus(const std::string& text, bool failure)
{
    m_status->setText(qs(text));
    m_status->setStyleSheet(failure ? QStringLiteral("color: #b00000;") : QString());
}

bool CFirmwareDlg::chooseImage(const QString& path)
{
    m_path = path;
    m_file->setText(QFileInfo(path).fileName());
    m_file->setToolTip(path);
    // The checks the update makes, made here so that a wrong file never gets as far as the petrol
    // switch.
    const FirmwareImageCheck image = checkFirmwareImage(path.toStdString(), m_doc.m_settings.m_devInfo);
    m_fileVersion->setText(image.loaded ? versionText(image.version) : QString());
    m_fileDevice->setText(image.loaded ? QString::fromStdString(image.deviceName) : QString());
    const bool fits = image.fits();
    m_start->setEnabled(fits && firmwareUpdateAllowed(m_doc));
    setStatus(fits ? std::string() : translate(kNotForController), !fits);
    return fits;
}

void CFirmwareDlg::onChoose()
{
    const QString folder = dataFolder() + QStringLiteral("/Firmware");
    QString path;
    if (fileChooser()) {
        path = fileChooser()(this, folder);
    } else {
        QFileDialog dialog(this, QString(), folder, QStringLiteral("Firmware (*.img)"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(QStringLiteral("img"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            path = dialog.selectedFiles().constFirst();
    }
    if (!path.isEmpty())
        chooseImage(path);
}

void CFirmwareDlg::onProgress(std::size_t sent, std::size_t total)
{
    if (m_progress->maximum() != static_cast<int>(total))
        m_progress->setMaximum(static_cast<int>(total));
    m_progress->setTextVisible(true);
    m_progress->setValue(static_cast<int>(sent));
    // The first block carries the erase wait; the pace of the later ones predicts the rest.
    if (!m_clock.isValid()) {
        m_clock.start();
        m_firstSent = sent;
    } else if (sent > m_firstSent) {
        const double perBlock = static_cast<double>(m_clock.elapsed()) / static_cast<double>(sent - m_firstSent);
        m_timeLeft->setText(minutesSeconds(static_cast<qint64>(perBlock * static_cast<double>(total - sent))));
    }
    if (sent == total)
        setStatus(translate(kReconnecting), false);
}

void CFirmwareDlg::onStart()
{
    if (m_running || m_path.isEmpty())
        return;
    m_running = true;
    for (QPushButton* button : {m_choose, m_start, m_close})
        button->setEnabled(false);
    m_clock.invalidate();
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_timeLeft->setText(QStringLiteral("—"));
    setStatus(translate(kWriting), false);

    FirmwareUpdateOptions options;
    options.backedUp = [this](const std::string& backup) { m_backup->setText(QString::fromStdString(backup)); };
    options.progress = [this](std::size_t sent, std::size_t total) { onProgress(sent, total); };
    const bool wasPolling = m_doc.pollingOn();
    FirmwareUpdateOutcome outcome;
    try {
        outcome = updateFirmware(m_doc, m_path.toStdString(), options);
    } catch (const IError& e) {
        // The port gave way under the update: the controller may be half programmed, so the fitter
        // runs the update again once it answers.
        m_doc.prompt().errorBox("CVeldranixDoc::OnDeviceUpdate()", e);
        outcome.result = ActionResult::Failed;
        outcome.message = translate(kFailed);
    }
    m_running = false;
    m_choose->setEnabled(true);
    m_close->setEnabled(true);
    showController();
    switch (outcome.result) {
    case ActionResult::Done:
        m_timeLeft->setText(minutesSeconds(0));
        setStatus(translate(kDone) + versionText(static_cast<unsigned>(m_doc.m_settings.m_devInfo.m_version)).toStdString(),
                  false);
        m_close->setDefault(true);
        break;
    case ActionResult::Cancelled:
        setStatus("", false);
        m_start->setEnabled(true);
        break;
    case ActionResult::Failed:
        setStatus(outcome.message, true);
        // Once programming began, nothing polls the controller any more: it is half programmed or
        // gone. The reconnect timer looks for it as for any lost controller, and the update can run
        // again once it answers.
        if (wasPolling && !m_doc.pollingOn() && m_doc.isConnected()) {
            m_doc.setConnected(false);
            emit m_doc.lostController();
        }
        m_start->setEnabled(m_doc.isConnected() && firmwareUpdateAllowed(m_doc));
        break;
    }
}

void CFirmwareDlg::reject()
{
    if (!m_running)
        QDialog::reject();
}

} // namespace tarvola::gui
