#include "app/CMainFrame.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolBar>

#include "app/CVeldranixDoc.h"
#include "app/CVeldranixView.h"
#include "app/Icons.h"
#include "lang/QtTextTargets.h"
#include "lang/translate.h"

namespace tarvola::gui {

CMainFrame::CMainFrame(CVeldranixDoc& doc, QWidget* parent) : QMainWindow(parent), m_doc(doc)
{
    setWindowTitle(QStringLiteral("TARVOLA"));
    buildMenu();
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    m_view = new CVeldranixView(doc, *this, scroll);
    scroll->setWidget(m_view);
    setCentralWidget(scroll);
    for (const auto& [command, act] : m_actions)
        if (command != ids::CmdExit)
            connect(act, &QAction::triggered, this, [this, command = command] { m_view->onCommand(command); });
    m_state = new QLabel(this);
    statusBar()->addPermanentWidget(m_state);

    m_refresh.setInterval(100);
    m_refresh.setTimerType(Qt::PreciseTimer);
    connect(&m_refresh, &QTimer::timeout, this, &CMainFrame::refreshTick);
    connect(&m_reconnect, &QTimer::timeout, this, &CMainFrame::reconnectTick);
    connect(&doc, &CVeldranixDoc::lostController, this, [this] { startReconnectTimer(1000); });
    connect(&doc, &CVeldranixDoc::changed, this, [this](const DeviceChange& change) {
        if (!change.has(DeviceChange::Connection))
            return;
        showConnectionState();
        if (m_doc.isConnected())
            setWindowTitle(CVeldranixDoc::titleText(m_doc.isDemo()));
    });
    connect(&doc, &CVeldranixDoc::languageChanged, this, &CMainFrame::languageRefresh);
    languageRefresh();
}

CMainFrame::~CMainFrame()
{
    m_refresh.stop();
    m_reconnect.stop();
}

QSize CMainFrame::startSize(const QRect& available)
{
    const int w = available.width() - 5;
    const int h = available.height() - 5;
    return {std::min(w, 1024), std::min(h, 746)};
}

void CMainFrame::buildMenu()
{
    auto add = [this](QMenu* menu, int command, const QKeySequence& key = {}) {
        QAction* a = menu->addAction(QString());
        a->setData(command);
        a->setIcon(commandIcon(command));
        if (!key.isEmpty())
            a->setShortcut(key);
        m_actions[command] = a;
        return a;
    };
    QMenu* file = menuBar()->addMenu(QString());
    QAction* exit = add(file, ids::CmdExit, QKeySequence::Quit);
    exit->setIcon({});
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* tools = menuBar()->addMenu(QString());
    for (int command : {ids::CmdMainCorr, ids::CmdCharts, ids::CmdErrors, ids::CmdService, ids::CmdSettings,
                        ids::CmdLanguage, ids::CmdInjCalc})
        add(tools, command);
    tools->addSeparator();
    add(tools, ids::CmdLargeDisplay);

    QMenu* about = menuBar()->addMenu(QString());
    add(about, ids::CmdHelp, QKeySequence::HelpContents);
    add(about, ids::CmdAbout);

    QToolBar* bar = addToolBar(QStringLiteral("TARVOLA"));
    bar->setObjectName(QStringLiteral("toolbar129"));
    bar->setIconSize(QSize(28, 28));
    bar->setAllowedAreas(Qt::AllToolBarAreas);
    for (int command : {ids::CmdMainCorr, ids::CmdCharts, 0, ids::CmdErrors, ids::CmdService, ids::CmdSettings,
                        ids::CmdLanguage, ids::CmdInjCalc, 0, ids::CmdHelp, ids::CmdAbout}) {
        if (command == 0)
            bar->addSeparator();
        else
            bar->addAction(m_actions[command]);
    }
}

QAction* CMainFrame::action(int command) const
{
    const auto it = m_actions.find(command);
    return it == m_actions.end() ? nullptr : it->second;
}

bool CMainFrame::startPolling()
{
    if (!m_doc.startDiagnostics())
        return false;
    if (!m_refresh.isActive())
        m_refresh.start();
    return true;
}

void CMainFrame::startReconnectTimer(int periodMs)
{
    m_reconnect.start(periodMs);
    showConnectionState();
}

void CMainFrame::languageRefresh()
{
    CMenuTextTarget target(menuBar());
    try {
        apply(target);
    } catch (const IError&) {
        // A table without a text leaves the menu as it was.
    }
    showConnectionState();
}

void CMainFrame::showConnectionState()
{
    QString text;
    if (m_doc.isDemo())
        text = QStringLiteral("DEMO");
    else if (m_doc.isConnected())
        text = qs(translate("Podłączone")) + QStringLiteral(": ") + qs(m_doc.port().portName());
    else
        text = qs(translate("Rozłączone"));
    if (m_state->text() != text)
        m_state->setText(text);
}

void CMainFrame::refreshTick()
{
    if (m_view)
        m_view->liveRefresh();
}

void CMainFrame::reconnectTick()
{
    m_reconnect.stop();
    if (m_doc.reconnect())
        startPolling();
    else
        m_reconnect.start(5000);
    showConnectionState();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!m_doc.CanCloseFrame()) {
        event->ignore();
        return;
    }
    m_refresh.stop();
    m_reconnect.stop();
    m_doc.stopDiagnostics();
    m_doc.closePort();
    event->accept();
}

} // namespace tarvola::gui
