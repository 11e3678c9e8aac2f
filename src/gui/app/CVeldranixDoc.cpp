#include "app/CVeldranixDoc.h"

#include <QMetaObject>

#include "app/CMainFrame.h"
#include "app/CVeldranixView.h"
#include "lang/Language.h"

namespace tarvola::gui {

namespace {
CVeldranixDoc* g_document = nullptr;
}

CVeldranixDoc::CVeldranixDoc(IUserPrompt& prompt, LinkTiming timing, AppConfig config)
    : CLPGDevice(prompt, timing, std::move(config))
{
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
    QString title = QStringLiteral("TARVOLA v 1.08");
    title += QStringLiteral(" LPG");
    title += demo ? QStringLiteral("     DEMO") : QString(15, QChar(' '));
    return title;
}

void CVeldranixDoc::SetTitle()
{
    if (g_document && m_mainFrame)
        m_mainFrame->setWindowTitle(titleText(isDemo()));
}

bool CVeldranixDoc::StartDiagnostics(const std::string& recordingPath)
{
    if (!startDiagnostics(recordingPath))
        return false;
    if (m_mainFrame)
        m_mainFrame->startRefreshTimer();
    return true;
}

void CVeldranixDoc::StopDiagnostics()
{
    stopDiagnostics();
}

void CVeldranixDoc::RefreshAll()
{
    if (m_view)
        m_view->fullReload();
    if (m_mainFrame)
        m_mainFrame->languageRefresh();
}

void CVeldranixDoc::SetLanguage(int language)
{
    setCurrentLanguage(language);
    rebuildErrorList();
    RefreshAll();
}

void CVeldranixDoc::connectionChanged()
{
    QMetaObject::invokeMethod(this, [this] { emit connectionStateChanged(); }, Qt::QueuedConnection);
}

void CVeldranixDoc::controllerLost()
{
    // Called on the polling thread: the document lives on the user-interface thread, so the queued
    // call runs there.
    QMetaObject::invokeMethod(this, [this] { emit lostController(); }, Qt::QueuedConnection);
}

} // namespace tarvola::gui
