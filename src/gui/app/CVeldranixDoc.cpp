#include "app/CVeldranixDoc.h"

#include <QMetaObject>
#include <QThread>
#include <filesystem>

#include "lang/Language.h"
#include "lang/translate.h"
#include "platform/Version.h"
#include "settings/CSettingsFile.h"

namespace tarvola::gui {

namespace {
CVeldranixDoc* g_document = nullptr;
}

CVeldranixDoc::CVeldranixDoc(IUserPrompt& prompt, LinkTiming timing, AppConfig config)
    : CLPGDevice(prompt, timing, std::move(config))
{
    qRegisterMetaType<tarvola::DeviceChange>();
    m_autoCalibration = std::make_unique<CAutoCalibration>(m_multiplier);
    m_mapGrid.setHistory(&m_history);
    m_multiplier.setHistory(&m_history);
    m_mainCorr.setHistory(&m_history);
    m_history.setOnChange([this] { emit historyChanged(); });
    m_offline.setOnChange([this] { emit offlineChanged(); });
    setListener(this);
    g_document = this;
}

CVeldranixDoc::~CVeldranixDoc()
{
    // The polling thread must be gone before the listener it calls.
    stopDiagnostics();
    setListener(nullptr);
    if (g_document == this)
        g_document = nullptr;
}

CVeldranixDoc* CVeldranixDoc::document()
{
    return g_document;
}

QString CVeldranixDoc::titleText(bool demo)
{
    QString title = QStringLiteral("TARVOLA v ") + QString::fromLatin1(programVersion());
    title += QStringLiteral(" LPG");
    title += demo ? QStringLiteral("     DEMO") : QString(15, QChar(' '));
    return title;
}

QString CVeldranixDoc::windowTitle() const
{
    if (!m_offline.active())
        return titleText(isDemo());
    QString title = titleText(false).trimmed() + QStringLiteral(" - ") +
                    QString::fromStdString(translate("Plik ustawień")) + QStringLiteral(": ") +
                    QString::fromStdString(std::filesystem::path(m_offline.path()).filename().string());
    if (m_offline.modified())
        title += QStringLiteral(" *");
    return title;
}

void CVeldranixDoc::SetLanguage(int language)
{
    setCurrentLanguage(language);
    rebuildErrorList();
    emit languageChanged();
}

bool CVeldranixDoc::openComparison(const std::string& path, std::string& error)
{
    CDeviceSettings file;
    if (!readSettingsRecord(path, file, error))
        return false;
    m_comparison = file;
    m_comparisonName = std::filesystem::path(path).filename().string();
    emit comparisonChanged();
    return true;
}

void CVeldranixDoc::endComparison()
{
    if (!m_comparison)
        return;
    m_comparison.reset();
    m_comparisonName.clear();
    emit comparisonChanged();
}

void CVeldranixDoc::setCalibrationTiming(const AutoCalibrationTiming& timing)
{
    if (!calibrating())
        m_autoCalibration = std::make_unique<CAutoCalibration>(m_multiplier, timing);
}

void CVeldranixDoc::deviceChanged(const DeviceChange& change)
{
    // Changes made on the user-interface thread reach the views before the operation returns, so a
    // handler that writes a block sees its page redrawn; the polling thread's are queued over.
    auto announce = [this, change] {
        // Edits made before the controller's picture was replaced no longer describe it.
        if (change.has(DeviceChange::Replaced) && m_history.clear())
            emit historyCleared();
        m_offline.noteChange(change);
        emit changed(change);
    };
    if (QThread::currentThread() == thread())
        announce();
    else
        QMetaObject::invokeMethod(this, announce, Qt::QueuedConnection);
}

void CVeldranixDoc::controllerLost()
{
    // Called on the polling thread: the document lives on the user-interface thread, so the queued
    // call runs there.
    QMetaObject::invokeMethod(this, [this] { emit lostController(); }, Qt::QueuedConnection);
}

} // namespace tarvola::gui
