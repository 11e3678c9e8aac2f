#include "service/CSettingsDlg.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>

#include "app/CVeldranixDoc.h"
#include "errors/IError.h"
#include "lang/QtTextTargets.h"
#include "lang/translate.h"
#include "service/CFirmwareDlg.h"
#include "service/FirmwareUpdate.h"
#include "service/SettingsActions.h"
#include "settings/CSettingsFile.h"

namespace tarvola::gui {

namespace {

constexpr const char* kBackupWritten = "Poprzednie ustawienia sterownika zapisano w pliku:";
constexpr const char* kNotAllRead = kNotAllReadText;
constexpr const char* kBackupFailed = kSaveFailedText;

CSettingsDlg::FileChooser& fileChooser()
{
    static CSettingsDlg::FileChooser chooser;
    return chooser;
}

QString systemFileDialog(QWidget* parent, CSettingsDlg::FileRole role, const QString& folder)
{
    const bool save = role == CSettingsDlg::FileRole::Save;
    QFileDialog dialog(parent, QString(), folder, QStringLiteral("Settings file (*.xset)"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("xset"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

void CSettingsDlg::setFileChooser(FileChooser chooser)
{
    fileChooser() = std::move(chooser);
}

CSettingsDlg::CSettingsDlg(CVeldranixDoc& doc, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_load(new QPushButton(this)), m_save(new QPushButton(this)),
      m_factory(new QPushButton(this)), m_firmware(new QPushButton(this)), m_folder(new QLabel(this))
{
    using namespace setdlgids;
    auto* layout = new QVBoxLayout(this);
    const std::pair<QPushButton*, int> buttons[] = {{m_load, Load}, {m_save, Save}, {m_factory, Factory},
                                                    {m_firmware, Firmware}};
    for (const auto& [button, id] : buttons) {
        setTextId(button, id);
        button->setAutoDefault(false);
        button->setMinimumHeight(32);
        layout->addWidget(button);
    }
    connect(m_load, &QPushButton::clicked, this, &CSettingsDlg::onLoad);
    connect(m_save, &QPushButton::clicked, this, &CSettingsDlg::onSave);
    connect(m_factory, &QPushButton::clicked, this, &CSettingsDlg::onFactory);
    connect(m_firmware, &QPushButton::clicked, this, &CSettingsDlg::onFirmware);
    // Only a controller that says it takes a new firmware gets the button.
    const bool firmware = firmwareUpdateAllowed(m_doc);
    m_firmware->setVisible(firmware);
    m_firmware->setEnabled(firmware);

    auto* note = new QLabel(this);
    setTextId(note, BackupNote);
    note->setWordWrap(true);
    m_folder->setText(QString::fromStdString(settingsFolder().value_or("")));
    m_folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_folder->setWordWrap(true);
    layout->addSpacing(8);
    layout->addWidget(note);
    layout->addWidget(m_folder);

    auto* box = new QDialogButtonBox(this);
    auto* close = box->addButton(QDialogButtonBox::Cancel);
    setTextId(close, ids::Cancel);
    layout->addWidget(box);
    setMinimumWidth(420);

    CWidgetTextTarget target(this);
    try {
        apply(target);
    } catch (const IError&) {
        // A table without a text leaves the dialog's labels as they were.
    }
}

void CSettingsDlg::open(CVeldranixDoc& doc, QWidget* parent)
{
    CSettingsDlg dialog(doc, parent);
    // The update window replaces the dialog rather than stacking on it.
    if (dialog.exec() == QDialog::Accepted && dialog.firmwareChosen()) {
        CFirmwareDlg update(doc, parent);
        update.exec();
    }
}

QString CSettingsDlg::chooseFile(FileRole role)
{
    const QString folder = QString::fromStdString(settingsFolder().value_or(""));
    return fileChooser() ? fileChooser()(this, role, folder) : systemFileDialog(this, role, folder);
}

bool CSettingsDlg::backUp()
{
    IUserPrompt& prompt = m_doc.prompt();
    // Blocks that were not read hold defaults: a backup of them would put wrong values back later.
    if (!m_doc.unreadBlocks().empty()) {
        prompt.error(translate(kNotAllRead));
        return false;
    }
    const auto path = backupSettings(m_doc);
    if (!path) {
        prompt.error(translate(kBackupFailed) + "\n" + settingsFolder().value_or(""));
        return false;
    }
    m_lastBackup = QString::fromStdString(*path);
    return true;
}

void CSettingsDlg::tellBackup()
{
    if (!m_lastBackup.isEmpty())
        m_doc.prompt().information(translate(kBackupWritten) + "\n" + m_lastBackup.toStdString());
}

void CSettingsDlg::onLoad()
{
    const QString path = chooseFile(FileRole::Load);
    if (!path.isEmpty()) {
        CDeviceSettings scratch;
        std::string error;
        // An unreadable file changes nothing, so it needs no backup; the load reports it.
        if (!readSettingsRecord(path.toStdString(), scratch, error) || backUp()) {
            loadSettings(m_doc, path.toStdString());
            tellBackup();
        }
    }
    accept();
}

void CSettingsDlg::onSave()
{
    const QString path = chooseFile(FileRole::Save);
    if (!path.isEmpty()) {
        if (!m_doc.unreadBlocks().empty()) {
            m_doc.prompt().error(translate(kNotAllRead));
        } else {
            try {
                // The file carries the running-time counters as they are now.
                m_doc.readStatistics();
                saveSettings(m_doc, path.toStdString());
            } catch (const IError& e) {
                m_doc.prompt().errorBox("CVeldranixDoc::OnFileWriteSettings()", e);
            }
        }
    }
    accept();
}

void CSettingsDlg::onFactory()
{
    if (backUp()) {
        if (restoreFactorySettings(m_doc).result == ActionResult::Cancelled) {
            // Nothing was overwritten, so nothing needs restoring.
            std::error_code ec;
            std::filesystem::remove(m_lastBackup.toStdString(), ec);
            m_lastBackup.clear();
        }
        tellBackup();
    }
    accept();
}

void CSettingsDlg::onFirmware()
{
    m_firmwareChosen = true;
    accept();
}

} // namespace tarvola::gui
