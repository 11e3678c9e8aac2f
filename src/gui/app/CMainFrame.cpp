#include "app/CMainFrame.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <filesystem>
#include <algorithm>
#include <QMenuBar>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolBar>

#include "app/CCompareSettingsDlg.h"
#include "app/CVeldranixDoc.h"
#include "app/CVeldranixView.h"
#include "service/SettingsActions.h"
#include "app/Icons.h"
#include "monitor/CCommLogDlg.h"
#include "monitor/CRecordingViewer.h"
#include "lang/QtTextTargets.h"
#include "lang/translate.h"

namespace tarvola::gui {

namespace {
QString settingsFolderPath()
{
    return qs(settingsFolder().value_or(QDir::homePath().toStdString()));
}

QString fileName(const std::string& path)
{
    return qs(std::filesystem::path(path).filename().string());
}
} // namespace

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
    static constexpr int kFrameCommands[] = {ids::CmdExit,        ids::CmdUndo,        ids::CmdRedo,
                                             ids::CmdCompare,     ids::CmdCompareEnd,  ids::CmdCompareSettings,
                                             ids::CmdFileOpen,    ids::CmdFileSave,    ids::CmdFileSaveAs,
                                             ids::CmdFileClose};
    for (const auto& [command, act] : m_actions)
        if (std::find(std::begin(kFrameCommands), std::end(kFrameCommands), command) == std::end(kFrameCommands))
            connect(act, &QAction::triggered, this, [this, command = command] { m_view->onCommand(command); });
    connect(m_actions[ids::CmdUndo], &QAction::triggered, this, &CMainFrame::undo);
    connect(m_actions[ids::CmdRedo], &QAction::triggered, this, &CMainFrame::redo);
    connect(m_actions[ids::CmdCompare], &QAction::triggered, this, qOverload<>(&CMainFrame::compareWithFile));
    connect(m_actions[ids::CmdCompareEnd], &QAction::triggered, &doc, &CVeldranixDoc::endComparison);
    connect(m_actions[ids::CmdCompareSettings], &QAction::triggered, this, [this] {
        CCompareSettingsDlg dlg(m_doc, this);
        dlg.exec();
    });
    connect(m_actions[ids::CmdFileOpen], &QAction::triggered, this, qOverload<>(&CMainFrame::openSettingsFile));
    connect(m_actions[ids::CmdFileSave], &QAction::triggered, this, &CMainFrame::saveSettingsFile);
    connect(m_actions[ids::CmdFileSaveAs], &QAction::triggered, this, [this] { saveSettingsFileAs(); });
    connect(m_actions[ids::CmdFileClose], &QAction::triggered, this, &CMainFrame::closeSettingsFile);
    connect(&doc, &CVeldranixDoc::offlineChanged, this, [this] {
        updateFileState();
        showConnectionState();
    });
    connect(&doc, &CVeldranixDoc::calibratingChanged, this, &CMainFrame::updateFileState);
    connect(&doc, &CVeldranixDoc::historyChanged, this, &CMainFrame::relabelEditMenu);
    connect(&doc, &CVeldranixDoc::comparisonChanged, this, &CMainFrame::relabelEditMenu);
    connect(&doc, &CVeldranixDoc::calibratingChanged, this, &CMainFrame::relabelEditMenu);
    connect(&doc, &CVeldranixDoc::historyCleared, this, [this] {
        statusBar()->showMessage(qs(translate("Historia zmian została wyczyszczona: sterownik ma nowe ustawienia.")),
                                 8000);
    });
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
        updateFileState();
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
    add(file, ids::CmdFileOpen, QKeySequence::Open);
    add(file, ids::CmdFileSave, QKeySequence::Save);
    add(file, ids::CmdFileSaveAs, QKeySequence::SaveAs);
    add(file, ids::CmdFileClose);
    for (int command : {ids::CmdFileOpen, ids::CmdFileSave, ids::CmdFileSaveAs, ids::CmdFileClose})
        m_actions[command]->setIcon({});
    file->addSeparator();
    // The recording viewer names its entry from its own table (languageRefresh), as the
    // communication log does.
    QAction* recording = file->addAction(QString());
    recording->setObjectName(QStringLiteral("openRecording"));
    connect(recording, &QAction::triggered, this, [this] { CRecordingViewer::openViewer(this, QString()); });
    file->addSeparator();
    QAction* exit = add(file, ids::CmdExit, QKeySequence::Quit);
    exit->setIcon({});
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(QString());
    add(edit, ids::CmdUndo, QKeySequence::Undo);
    add(edit, ids::CmdRedo)->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                                           QKeySequence(Qt::CTRL | Qt::Key_Y)});
    edit->addSeparator();
    add(edit, ids::CmdCompare);
    add(edit, ids::CmdCompareEnd);
    edit->addSeparator();
    add(edit, ids::CmdCompareSettings);
    for (int command : {ids::CmdUndo, ids::CmdRedo, ids::CmdCompare, ids::CmdCompareEnd, ids::CmdCompareSettings})
        m_actions[command]->setIcon({});

    QMenu* tools = menuBar()->addMenu(QString());
    for (int command : {ids::CmdMainCorr, ids::CmdCharts, ids::CmdErrors, ids::CmdService, ids::CmdSettings,
                        ids::CmdLanguage, ids::CmdInjCalc})
        add(tools, command);
    // The communication log names its entry from its own table (languageRefresh): no command number
    // in the action's data, so the menu's table passes it by.
    QAction* commLog = tools->addAction(QString());
    commLog->setObjectName(QStringLiteral("commLog"));
    connect(commLog, &QAction::triggered, this, [this] {
        auto* log = findChild<CCommLogDlg*>();
        if (!log)
            log = new CCommLogDlg(m_doc, this);
        log->show();
        log->QWidget::raise();
        log->activateWindow();
    });
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
        if (auto* commLog = menuBar()->findChild<QAction*>(QStringLiteral("commLog")))
            commLog->setText(qs(CCommLogDlgTexts().text(ids::CmdCommLog)));
        if (auto* recording = menuBar()->findChild<QAction*>(QStringLiteral("openRecording")))
            recording->setText(qs(CRecordingViewerTexts().text(ids::CmdOpenRecording)));
        for (auto* viewer : findChildren<CRecordingViewer*>())
            viewer->applyTexts();
    } catch (const IError&) {
        // A table without a text leaves the menu as it was.
    }
    relabelEditMenu();
    showConnectionState();
    updateFileState();
}

void CMainFrame::relabelEditMenu()
{
    const CEditHistory& history = m_doc.history();
    // The entries' words come from the menu's table, the step names are messages.
    auto label = [this](int command, const std::string& step) {
        QString entry = qs(text(command));
        if (!step.empty())
            entry += QStringLiteral(": ") + qs(translate(step));
        return entry;
    };
    QAction* undoAction = m_actions[ids::CmdUndo];
    QAction* redoAction = m_actions[ids::CmdRedo];
    try {
        undoAction->setText(label(ids::CmdUndo, history.undoName()));
        redoAction->setText(label(ids::CmdRedo, history.redoName()));
    } catch (const IError&) {
        // A missing text keeps the entries as they were.
    }
    const bool idle = !m_doc.calibrating();
    undoAction->setEnabled(idle && history.canUndo());
    redoAction->setEnabled(idle && history.canRedo());
    m_actions[ids::CmdCompare]->setEnabled(idle);
    m_actions[ids::CmdCompareEnd]->setEnabled(m_doc.comparison() != nullptr);
}

void CMainFrame::undo()
{
    if (m_doc.calibrating() || !m_doc.history().canUndo())
        return;
    const std::string step = m_doc.history().undoName();
    if (m_doc.history().undo())
        statusBar()->showMessage(qs(translate("Cofnięto: ") + translate(step)), 5000);
}

void CMainFrame::redo()
{
    if (m_doc.calibrating() || !m_doc.history().canRedo())
        return;
    const std::string step = m_doc.history().redoName();
    if (m_doc.history().redo())
        statusBar()->showMessage(qs(translate("Ponowiono: ") + translate(step)), 5000);
}

void CMainFrame::compareWithFile()
{
    if (m_doc.calibrating())
        return;
    const QString folder = qs(settingsFolder().value_or(QDir::homePath().toStdString()));
    const QString path = QFileDialog::getOpenFileName(this, m_actions[ids::CmdCompare]->text().remove(QLatin1Char('&')),
                                                      folder, QStringLiteral("*.xset;;*"));
    if (!path.isEmpty())
        compareWithFile(path);
}

bool CMainFrame::compareWithFile(const QString& path)
{
    std::string error;
    if (!m_doc.openComparison(path.toStdString(), error)) {
        m_doc.prompt().error(translate("Nie można wczytać ustawień z pliku") + "\n" + error);
        return false;
    }
    return true;
}

void CMainFrame::showConnectionState()
{
    QString text;
    if (m_doc.isDemo())
        text = QStringLiteral("DEMO");
    else if (m_doc.isConnected())
        text = qs(translate("Podłączone")) + QStringLiteral(": ") + qs(m_doc.port().portName());
    else if (m_doc.offline().active())
        text = qs(translate("Plik ustawień")) + QStringLiteral(": ") + fileName(m_doc.offline().path()) +
               (m_doc.offline().modified() ? QStringLiteral(" *") : QString());
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
    // A file worked on offline stays as it was unless a controller really answers.
    if (m_doc.offline().connectAttempt([this] { return m_doc.reconnect(); })) {
        startPolling();
        showConnectionState();
        if (m_doc.offline().hasPrepared())
            offerPreparedSettings();
        return;
    }
    m_reconnect.start(5000);
    showConnectionState();
}

// ---- a settings file worked on without a controller ----

void CMainFrame::updateFileState()
{
    const COfflineSettings& offline = m_doc.offline();
    const bool idle = !m_doc.calibrating();
    m_actions[ids::CmdFileOpen]->setEnabled(idle && !m_doc.isConnected());
    m_actions[ids::CmdFileSave]->setEnabled(offline.active());
    m_actions[ids::CmdFileSaveAs]->setEnabled(offline.active());
    m_actions[ids::CmdFileClose]->setEnabled(offline.active());
    // A lost controller leaves its title, as before; a file closed without one leaves the program's.
    const bool showing = m_doc.isConnected() || offline.active();
    if (showing || m_titledFile) {
        const QString title = showing ? m_doc.windowTitle() : QStringLiteral("TARVOLA");
        if (windowTitle() != title)
            setWindowTitle(title);
    }
    m_titledFile = offline.active();
}

void CMainFrame::openSettingsFile()
{
    if (m_doc.isConnected() || m_doc.calibrating())
        return;
    const QString path = QFileDialog::getOpenFileName(this, m_actions[ids::CmdFileOpen]->text().remove(QLatin1Char('&')),
                                                      settingsFolderPath(), QStringLiteral("*.xset;;*"));
    if (!path.isEmpty())
        openSettingsFile(path);
}

bool CMainFrame::openSettingsFile(const QString& path)
{
    if (!settleUnsavedFile())
        return false;
    std::string error;
    if (!m_doc.offline().open(path.toStdString(), error)) {
        m_doc.prompt().error(translate("Nie można wczytać ustawień z pliku") + "\n" + error);
        return false;
    }
    statusBar()->showMessage(qs(translate("Ustawienia z pliku są pokazane bez sterownika; zmiany trafiają tylko do pliku.")),
                             8000);
    return true;
}

bool CMainFrame::saveSettingsFile()
{
    if (!m_doc.offline().active())
        return false;
    return m_doc.offline().save();
}

bool CMainFrame::saveSettingsFileAs(const QString& chosen)
{
    if (!m_doc.offline().active())
        return false;
    QString path = chosen;
    if (path.isEmpty()) {
        const QString start = qs(m_doc.offline().path());
        path = QFileDialog::getSaveFileName(this, m_actions[ids::CmdFileSaveAs]->text().remove(QLatin1Char('&')),
                                            start.isEmpty() ? settingsFolderPath() : start,
                                            QStringLiteral("*.xset;;*"));
        if (path.isEmpty())
            return false;
        if (QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".xset");
    }
    return m_doc.offline().save(path.toStdString());
}

void CMainFrame::closeSettingsFile()
{
    if (m_doc.offline().active() && settleUnsavedFile())
        m_doc.offline().close();
}

bool CMainFrame::settleUnsavedFile()
{
    const COfflineSettings& offline = m_doc.offline();
    if (!offline.active() || !offline.modified())
        return true;
    const std::string question = translate("Plik ustawień ma niezapisane zmiany:") + "\n" +
                                 fileName(offline.path()).toStdString() + "\n" +
                                 translate("Czy zapisać je przed zamknięciem pliku?");
    switch (m_doc.prompt().yesNoCancel(question)) {
    case IUserPrompt::Answer::Yes: return saveSettingsFile();
    case IUserPrompt::Answer::No: return true;
    case IUserPrompt::Answer::Cancel: break;
    }
    return false;
}

void CMainFrame::offerPreparedSettings()
{
    COfflineSettings& offline = m_doc.offline();
    const std::string name = fileName(offline.preparedPath()).toStdString();
    if (offline.preparedModified()) {
        const std::string question = translate("Plik ustawień ma niezapisane zmiany:") + "\n" + name + "\n" +
                                     translate("Czy zapisać je przed zamknięciem pliku?");
        if (m_doc.prompt().yesNoCancel(question) == IUserPrompt::Answer::Yes)
            offline.savePrepared();
    }
    const std::string question = translate("Podłączono sterownik. Czy wpisać do niego ustawienia przygotowane w pliku:") +
                                 "\n" + name + "\n" +
                                 translate("Obecne ustawienia sterownika zostaną najpierw zapisane w kopii zapasowej. "
                                           "Nie: przygotowane ustawienia zostaną odrzucone.");
    if (!m_doc.prompt().yesNo(question)) {
        offline.discardPrepared();
        return;
    }
    std::optional<std::string> backup;
    const ActionOutcome outcome = offline.writePrepared(backup);
    if (backup)
        m_doc.prompt().information(translate("Poprzednie ustawienia sterownika zapisano w pliku:") + "\n" + *backup);
    if (outcome.result == ActionResult::Done)
        statusBar()->showMessage(qs(translate("Przygotowane ustawienia zostały wpisane do sterownika.")), 8000);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!m_doc.CanCloseFrame() || !settleUnsavedFile()) {
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
