#pragma once
// The one document, which is at the same time the controller device: the settings record, the live
// samples, the port and every command. Windows reach it through document().
//
// The polling thread reports a lost controller through the device listener; the document hands that
// over to the user-interface thread as the lostController() signal.

#include <QObject>
#include <string>

#include "link/CLPGDevice.h"

namespace tarvola::gui {

class CMainFrame;
class CVeldranixView;

class CVeldranixDoc : public QObject, public CLPGDevice, private IDeviceListener {
    Q_OBJECT
public:
    explicit CVeldranixDoc(IUserPrompt& prompt, LinkTiming timing = LinkTiming::standard(),
                           AppConfig config = AppConfig());
    ~CVeldranixDoc() override;

    // The process-wide document; null before the document exists and after it ended.
    static CVeldranixDoc* document();

    CMainFrame* m_mainFrame = nullptr;  // not owned
    CVeldranixView* m_view = nullptr;   // not owned

    // "TARVOLA v 1.08 LPG" and "     DEMO" or fifteen spaces, on the main frame.
    void SetTitle();
    static QString titleText(bool demo);
    // False while an automatic calibration runs.
    bool CanCloseFrame() const { return !m_calibrating; }
    bool calibrating() const { return m_calibrating; }
    void setCalibrating(bool on) { m_calibrating = on; }

    // Starts live polling (and the frame's refresh timer) when diagnostics are allowed.
    bool StartDiagnostics(const std::string& recordingPath = "\\");
    void StopDiagnostics();
    // Reloads every control of the view, then the frame's menu texts and toolbar.
    void RefreshAll();
    // Switches the interface language and relabels everything.
    void SetLanguage(int language);

    // Set once the advanced page's password was entered; kept until the program ends.
    bool unlocked() const { return m_unlocked; }
    void setUnlocked() { m_unlocked = true; }

signals:
    // On the user-interface thread: the polling thread gave up on the controller.
    void lostController();
    void connectionStateChanged();

private:
    void connectionChanged() override;
    void controllerLost() override;

    bool m_calibrating = false;
    bool m_unlocked = false;
};

} // namespace tarvola::gui
