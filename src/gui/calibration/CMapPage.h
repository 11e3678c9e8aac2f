#pragma once
// The calibration page ("Kalibracja"): the multiplier chart with the petrol and gas point clouds, the
// erase buttons and the petrol-map lock, the live injection times, the main correction and the fill
// levels, and the autocalibration's button and progress bar.
//
// The page is the calibration model's view: the model (the document's multiplier()) says what
// changed and the page redraws; buttons, chart edits and live samples go straight back to the model
// or to the document's autoCalibration(). While an autocalibration runs, the page's controls other
// than its stop button and the property sheet's tabs are disabled, and the progress bar shows.

#include <QTimer>
#include <cstdint>
#include <vector>

#include "calibration/ICalibrationView.h"
#include "controls/CAppPropPage.h"
#include "lang/WindowTexts.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace tarvola {
struct DeviceChange;
}

namespace tarvola::gui {

class CVeldranixDoc;
class CColorStatic;
class CTimeCorrChart;

class CMapPage : public CAppPropPage, public CMapPageTexts, private ICalibrationView {
    Q_OBJECT
public:
    // Sets itself as the view of `doc.multiplier()` until it goes; `doc` must outlive the page.
    CMapPage(CVeldranixDoc& doc, QWidget* parent = nullptr);
    ~CMapPage() override;

    QString title() const override;
    // Shows the record, the maps as last read and the comparison.
    void reload() override;
    // Reads the point maps again (when connected) and starts counting live samples afresh.
    void activate() override;
    void applyTexts() override;
    // Hands every live sample that arrived since the last call to the model.
    void liveUpdate(unsigned tick) override;

    CTimeCorrChart* chart() const { return m_chart; }
    // The page's controls by their identifiers (calids); null for an unknown one.
    QWidget* control(int id) const;

private:
    // ICalibrationView
    void lineChanged() override;
    void mapsChanged() override;
    void liveChanged() override;
    void mainCorrectionChanged() override;
    void busyChanged(bool busy) override;
    void tabsEnabled(bool enabled) override;
    void progressChanged(int percent) override;

    void build();
    QWidget* buildPanel();
    void documentChanged(const DeviceChange& change);
    void showValues();
    void showComparison();
    void showBusyState();
    void armLineTimer();
    void onAutoButton();

    CVeldranixDoc& m_doc;
    CTimeCorrChart* m_chart = nullptr;
    QLabel* m_hint = nullptr;
    QPushButton* m_btnAuto = nullptr;
    QPushButton* m_btnClearPetrol = nullptr;
    QPushButton* m_btnClearGas = nullptr;
    QPushButton* m_btnCreate = nullptr;
    QPushButton* m_btnClearLine = nullptr;
    QCheckBox* m_lock = nullptr;
    QProgressBar* m_progress = nullptr;
    CColorStatic* m_petrolTime = nullptr;
    CColorStatic* m_gasTime = nullptr;
    CColorStatic* m_mainCorr = nullptr;
    CColorStatic* m_petrolFill = nullptr;
    CColorStatic* m_gasFill = nullptr;
    QWidget* m_comparisonBox = nullptr;
    QLabel* m_comparisonName = nullptr;
    QPushButton* m_btnEndCompare = nullptr;

    QTimer m_lineTimer;          // ticks the model's line write timer while it runs
    bool m_busy = false;         // the autocalibration's button reads "Wyłącz kalibrację"
    bool m_running = false;      // a run holds the sheet's tabs
    std::vector<int> m_disabledTabs;
};

} // namespace tarvola::gui
