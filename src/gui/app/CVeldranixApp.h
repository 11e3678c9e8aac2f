#pragma once
// The application: builds the prompt, the document and the main window from the command line, sizes
// and shows the window, runs the view's first update, and owns the F10 shortcut of the large display.
//
// SIGTERM, SIGINT and SIGHUP close the window as its close box does (polling stopped, recording
// closed, port closed) and end the program with 0. Their handler only writes the signal's number
// into a pipe; the main window is asked to close on this thread when the pipe turns readable. A
// signal that comes while the program is still starting ends it as soon as the start is over. When
// the window refuses to close because an automatic calibration runs, the signal still ends the
// program: the car is sent back to petrol, polling stops, the port and the virtual controller are
// closed, and the exit status is 128 + the signal's number, since the calibration was cut short.

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <memory>

#include "app/AppOptions.h"
#include "app/CQtPrompt.h"
#include "app/SimLauncher.h"
#include "link/LinkTiming.h"

namespace tarvola::gui {

class CVeldranixDoc;
class CMainFrame;

class CVeldranixApp : public QObject {
    Q_OBJECT
public:
    explicit CVeldranixApp(AppOptions options);
    ~CVeldranixApp() override;

    // Starts the virtual controller when asked, creates document and window, shows it and runs the
    // first update. False, with `error` set, when the virtual controller cannot be started.
    bool start(QString& error);
    // What --screenshots, --quit-after and --report ask for, once the window runs.
    void runAutomation();
    // Runs the main loop until the window closes; returns the program's exit status.
    int exec();
    // The stop signal that is ending the program; 0 while none came.
    int stopSignal() const { return m_stopSignal; }

    CVeldranixDoc* doc() const { return m_doc.get(); }
    CMainFrame* frame() const { return m_frame.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void takeScreenshots();
    void report();
    void installStopSignals();
    void restoreStopSignals();
    void onStopSignal(int signal);
    // Closes the window as its close box does, and leaves the main loop together with any dialog's
    // loop open at the time; during a calibration, stops it and closes once it has ended (a second
    // signal ends the program through endDuringCalibration()).
    void closeForSignal(int signal);
    [[noreturn]] void endDuringCalibration(int signal);

    AppOptions m_options;
    QElapsedTimer m_clock;
    qint64 m_firstLiveMs = -1;
    CQtPrompt m_prompt;
    SimLauncher m_sim;
    std::unique_ptr<CVeldranixDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    QString m_configDir;
    std::unique_ptr<QSocketNotifier> m_stopNotifier;
    int m_stopSignal = 0;
    bool m_stoppingCalibration = false;
    bool m_inMainLoop = false;
};

} // namespace tarvola::gui
