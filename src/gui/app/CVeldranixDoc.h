#pragma once
// The one document, which is at the same time the controller device: the settings record, the live
// samples, the port and every command. Windows reach it through document().
//
// The document announces; the views react. Every change to the program's picture of the controller
// (a block read or written, the map, the identity, the stored faults, the connection) reaches the
// views once, as the changed() signal on the user-interface thread, naming what changed; a change of
// language is languageChanged(). No view refreshes another: each listens and redraws itself.

#include <QObject>
#include <string>

#include "device/CLPGDevice.h"

namespace tarvola::gui {

class CVeldranixDoc : public QObject, public CLPGDevice, private IDeviceListener {
    Q_OBJECT
public:
    explicit CVeldranixDoc(IUserPrompt& prompt, LinkTiming timing = LinkTiming::standard(),
                           AppConfig config = AppConfig());
    ~CVeldranixDoc() override;

    // The process-wide document; null before the document exists and after it ended.
    static CVeldranixDoc* document();

    // "TARVOLA v 1.08 LPG" and "     DEMO" or fifteen spaces: the main window's title.
    static QString titleText(bool demo);
    // False while an automatic calibration runs.
    bool CanCloseFrame() const { return !m_calibrating; }
    bool calibrating() const { return m_calibrating; }
    void setCalibrating(bool on) { m_calibrating = on; }

    // Switches the interface language; every window relabels itself from languageChanged().
    void SetLanguage(int language);

    // Set once the advanced page's password was entered; kept until the program ends.
    bool unlocked() const { return m_unlocked; }
    void setUnlocked() { m_unlocked = true; }

signals:
    // On the user-interface thread, once per operation that changed the controller's picture.
    void changed(const tarvola::DeviceChange& change);
    // The interface language changed.
    void languageChanged();
    // On the user-interface thread: the polling thread gave up on the controller.
    void lostController();

private:
    void deviceChanged(const DeviceChange& change) override;
    void controllerLost() override;

    bool m_calibrating = false;
    bool m_unlocked = false;
};

} // namespace tarvola::gui

Q_DECLARE_METATYPE(tarvola::DeviceChange)
