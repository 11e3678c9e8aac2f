#pragma once
// The one document, which is at the same time the controller device: the settings record, the live
// samples, the port and every command. Windows reach it through document().
//
// The document announces; the views react. Every change to the program's picture of the controller
// (a block read or written, the map, the identity, the stored faults, the connection) reaches the
// views once, as the changed() signal on the user-interface thread, naming what changed; a change of
// language is languageChanged(). No view refreshes another: each listens and redraws itself.

#include <QObject>
#include <memory>
#include <optional>
#include <string>

#include "calibration/CAutoCalibration.h"
#include "calibration/CMultiplierCalibration.h"
#include "calibration/EditHistory.h"
#include "calibration/MainCorrEditor.h"
#include "calibration/MapGridModel.h"
#include "device/CLPGDevice.h"
#include "service/OfflineSettings.h"

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
    // The title for what the window shows now: the controller's title, or while a settings file is
    // worked on offline the file's name and whether it holds unsaved changes.
    QString windowTitle() const;
    // Working offline on a settings file (see COfflineSettings); offlineChanged() follows it.
    COfflineSettings& offline() { return m_offline; }
    const COfflineSettings& offline() const { return m_offline; }
    // False while an automatic calibration runs.
    bool CanCloseFrame() const { return !calibrating(); }
    bool calibrating() const { return m_multiplier.busy(); }
    void setCalibrating(bool on) { m_multiplier.setBusy(on); }

    // The calibration workspace's models, one each for the whole program: the map grid with its
    // selection, marker and store timer; the calibration page (point maps, multiplier line, busy
    // flag); the per-cylinder corrections; the autocalibration; and the undo history of their edits.
    // The windows draw them and forward their events; the models live as long as the document.
    CMapGridModel& mapGrid() { return m_mapGrid; }
    CMultiplierCalibration& multiplier() { return m_multiplier; }
    CMainCorrEditor& mainCorr() { return m_mainCorr; }
    CAutoCalibration& autoCalibration() { return *m_autoCalibration; }
    CEditHistory& history() { return m_history; }
    // "Compare with a file": a settings file whose map and multiplier line the map page and the
    // chart show beside the controller's. Nothing is written by comparing. False, with `error` set
    // and any comparison kept, when the file cannot be read.
    bool openComparison(const std::string& path, std::string& error);
    void endComparison();
    // The file's record while a comparison is open; null otherwise.
    const CDeviceSettings* comparison() const { return m_comparison ? &*m_comparison : nullptr; }
    // The file name (without its folder) of the open comparison.
    const std::string& comparisonName() const { return m_comparisonName; }

    // Tests with an engine faster than real time shorten the autocalibration's waits.
    void setCalibrationTiming(const AutoCalibrationTiming& timing);

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
    // The undo history changed (a step recorded, undone, redone or the history cleared).
    void historyChanged();
    // The undo history was cleared because the controller's picture was replaced.
    void historyCleared();
    // A comparison with a file was opened or ended.
    void comparisonChanged();
    // An autocalibration started or ended (the calibration page announces it): windows that change
    // the controller's settings lock themselves meanwhile.
    void calibratingChanged(bool running);
    // On the user-interface thread: the polling thread gave up on the controller.
    void lostController();
    // A settings file was opened, saved, closed or first edited offline, or handed to a controller.
    void offlineChanged();

private:
    void deviceChanged(const DeviceChange& change) override;
    void controllerLost() override;

    bool m_unlocked = false;
    CMapGridModel m_mapGrid{*this};
    CMultiplierCalibration m_multiplier{*this};
    CMainCorrEditor m_mainCorr{*this};
    std::unique_ptr<CAutoCalibration> m_autoCalibration;
    CEditHistory m_history;
    COfflineSettings m_offline{*this};
    std::optional<CDeviceSettings> m_comparison;
    std::string m_comparisonName;
};

} // namespace tarvola::gui

Q_DECLARE_METATYPE(tarvola::DeviceChange)
