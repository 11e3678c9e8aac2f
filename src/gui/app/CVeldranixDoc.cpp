#include "app/CVeldranixDoc.h"

#include <QMetaObject>
#include <QThread>

#include "lang/Language.h"

namespace tarvola::gui {

namespace {
CVeldranixDoc* g_document = nullptr;
}

CVeldranixDoc::CVeldranixDoc(IUserPrompt& prompt, LinkTiming timing, AppConfig config)
    : CLPGDevice(prompt, timing, std::move(config))
{
    qRegisterMetaType<tarvola::DeviceChange>();
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

void CVeldranixDoc::SetLanguage(int language)
{
    setCurrentLanguage(language);
    rebuildErrorList();
    emit languageChanged();
}

void CVeldranixDoc::deviceChanged(const DeviceChange& change)
{
    // Changes made on the user-interface thread reach the views before the operation returns, so a
    // handler that writes a block sees its page redrawn; the polling thread's are queued over.
    if (QThread::currentThread() == thread())
        emit changed(change);
    else
        QMetaObject::invokeMethod(this, [this, change] { emit changed(change); }, Qt::QueuedConnection);
}

void CVeldranixDoc::controllerLost()
{
    // Called on the polling thread: the document lives on the user-interface thread, so the queued
    // call runs there.
    QMetaObject::invokeMethod(this, [this] { emit lostController(); }, Qt::QueuedConnection);
}

} // namespace tarvola::gui
