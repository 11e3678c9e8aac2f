#pragma once
// The main window: menu, toolbar, status bar, the view, the refresh timer (100 ms, the view redraws
// from the newest sample) and the reconnect timer (1000 ms after a loss, then 5000 ms).

#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <map>

#include "lang/WindowTexts.h"

namespace tarvola::gui {

class CVeldranixDoc;
class CVeldranixView;

class CMainFrame : public QMainWindow, public CMainMenuTexts {
    Q_OBJECT
public:
    explicit CMainFrame(CVeldranixDoc& doc, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CVeldranixView* view() const { return m_view; }
    QAction* action(int command) const;
    // Starts live polling and, with it, the refresh timer. False when polling did not start.
    bool startPolling();
    // Starts the reconnect timer with this period.
    void startReconnectTimer(int periodMs);
    bool reconnectTimerActive() const { return m_reconnect.isActive(); }
    int reconnectPeriod() const { return m_reconnect.interval(); }
    bool refreshTimerActive() const { return m_refresh.isActive(); }
    // Reloads the menu texts (the toolbar shares the menu's actions and their tooltips).
    void languageRefresh();
    // The size the window takes at start: the available screen area less 5 pixels each way, capped
    // at 1024 × 746.
    static QSize startSize(const QRect& available);
    // The status bar's connection text.
    void showConnectionState();

    // The Edit menu: one step back or forward in the calibration edits' history, named in the
    // status bar; the comparison of the map and the multiplier line with a settings file (the file
    // dialog opens in the settings folder; tests pass the path).
    void undo();
    void redo();
    void compareWithFile();
    bool compareWithFile(const QString& path);

    // The File menu: a settings file worked on without a controller (open, save, save as, close;
    // the dialogs open in the settings folder; tests pass the paths). Each tells its failure in a
    // box and returns false.
    void openSettingsFile();
    bool openSettingsFile(const QString& path);
    bool saveSettingsFile();
    bool saveSettingsFileAs(const QString& path = {});
    void closeSettingsFile();
    // Asks whether to save a file with unsaved changes before it goes (`question` names why); false
    // when the user cancels or the save failed, so nothing may go.
    bool settleUnsavedFile();
    // A controller found while a file was open offline: save its unsaved changes if asked, then
    // write the prepared settings to the controller (with its backup) or discard them.
    void offerPreparedSettings();

    // One tick of each timer; the timers call these, tests may too.
    void refreshTick();
    void reconnectTick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    // The undo and redo entries name their step and are enabled only when there is one to take.
    void relabelEditMenu();
    // The File entries are enabled for what the window shows; the title names a file worked on.
    void updateFileState();
    CVeldranixDoc& m_doc;
    CVeldranixView* m_view = nullptr;
    QTimer m_refresh;
    QTimer m_reconnect;
    QLabel* m_state = nullptr;
    std::map<int, QAction*> m_actions;
    bool m_titledFile = false;
};

} // namespace tarvola::gui
