#pragma once
// The communication log (Tools → "Dziennik komunikacji"): every frame to and from the controller as
// it happens, one line each in the command line's trace format, with pause, clear and save.
//
// The frames are seen by a FrameTraceQueue that is the device's frame observer only while the
// window is shown: it runs on the polling thread and only queues lines; a timer here moves them
// into the list. Closed, the window costs nothing: no observer, no timer. The list keeps the newest
// kMaxLines lines and says how many older ones it let go.

#include <QDialog>
#include <QTimer>

#include "lang/WindowTexts.h"
#include "link/FrameTrace.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tarvola::gui {

class CVeldranixDoc;

class CCommLogDlg : public QDialog, public CCommLogDlgTexts {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 5000;
    static constexpr int kDrainMs = 100;

    explicit CCommLogDlg(CVeldranixDoc& doc, QWidget* parent = nullptr);
    ~CCommLogDlg() override;

    // Writes the shown lines to `path` (through a temporary file and a rename); false, and an error
    // box, when it cannot.
    bool saveTo(const QString& path);
    void clear();
    void setPaused(bool paused);
    // Moves the frames queued since the last tick into the list (the timer calls it every kDrainMs).
    void takeFrames();

    bool observing() const { return m_observing; }
    QPlainTextEdit* log() const { return m_log; }
    // Lines let go since the last clear: those the list no longer holds and those the queue dropped.
    std::size_t droppedLines() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void observe(bool on);
    void applyTexts();
    void showStatus();

    CVeldranixDoc& m_doc;
    FrameTraceQueue m_queue;
    QTimer m_drainTimer;
    QPlainTextEdit* m_log;
    QPushButton* m_pause;
    QPushButton* m_save;
    QLabel* m_status;
    bool m_observing = false;
    std::size_t m_linesShown = 0;    // appended since the last clear
    std::size_t m_queueDropped = 0;  // dropped by the queue since the last clear
};

} // namespace tarvola::gui
