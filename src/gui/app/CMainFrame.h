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

    // One tick of each timer; the timers call these, tests may too.
    void refreshTick();
    void reconnectTick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    CVeldranixDoc& m_doc;
    CVeldranixView* m_view = nullptr;
    QTimer m_refresh;
    QTimer m_reconnect;
    QLabel* m_state = nullptr;
    std::map<int, QAction*> m_actions;
};

} // namespace tarvola::gui
