#pragma once
// The application: builds the prompt, the document and the main window from the command line, sizes
// and shows the window, runs the view's first update, and owns the F10 shortcut of the large display.

#include <QElapsedTimer>
#include <QObject>
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

    CVeldranixDoc* doc() const { return m_doc.get(); }
    CMainFrame* frame() const { return m_frame.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void takeScreenshots();
    void report();

    AppOptions m_options;
    QElapsedTimer m_clock;
    qint64 m_firstLiveMs = -1;
    CQtPrompt m_prompt;
    SimLauncher m_sim;
    std::unique_ptr<CVeldranixDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    QString m_configDir;
};

} // namespace tarvola::gui
