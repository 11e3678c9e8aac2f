#pragma once
// The charts dialog ("Wykresy"): a sheet of its own with the calibration page (and beside it the
// engine's live values) and the large oscilloscope page. A timer (5001, 100 ms) gives the sheet's
// active page its live refresh while the controller is connected; the sheet follows the dialog's
// size. Modeless, at most one: openOnce() opens it or brings it to the front.
//
// The calibration model tells one page at a time: while the dialog is open its calibration page
// is the one; closing the dialog gives the model back to the main window's page.

#include <QDialog>
#include <QTimer>
#include <array>

#include "calibration/CMapPage.h"
#include "lang/WindowTexts.h"

namespace tarvola {
class ICalibrationView;
}

namespace tarvola::gui {

class CAppPropSheet;
class CColorStatic;
class COscyloskopPage;
class CVeldranixDoc;

// The calibration page inside the charts dialog, with a column of live values.
class CMapPageDlg : public CMapPage {
    Q_OBJECT
public:
    explicit CMapPageDlg(CVeldranixDoc& doc, QWidget* parent = nullptr);
    void applyTexts() override;
    void liveUpdate(unsigned tick) override;
    // The value shown for a live panel entry (chartsids), for tests.
    QString liveText(int id) const;

private:
    CVeldranixDoc& m_document;
    CChartsDlgTexts m_texts;
    std::array<CColorStatic*, 8> m_values{};
};

class CChartsDlg : public QDialog, public CChartsDlgTexts {
    Q_OBJECT
public:
    static constexpr int kTimerId = 5001;
    static constexpr int kTimerMs = 100;

    static void openOnce(CVeldranixDoc& doc, QWidget* parent);
    // The dialog that openOnce() opened; null when none is open.
    static CChartsDlg* openDialog();

    CChartsDlg(CVeldranixDoc& doc, QWidget* parent = nullptr);
    ~CChartsDlg() override;

    CAppPropSheet* sheet() const { return m_sheet; }
    CMapPageDlg* calibrationPage() const { return m_calibration; }
    COscyloskopPage* oscilloscopePage() const { return m_oscilloscope; }

private:
    void applyTexts();
    void tick();

    CVeldranixDoc& m_doc;
    ICalibrationView* m_previousView;
    CAppPropSheet* m_sheet = nullptr;
    CMapPageDlg* m_calibration = nullptr;
    COscyloskopPage* m_oscilloscope = nullptr;
    QTimer m_timer;
    unsigned m_ticks = 0;
};

} // namespace tarvola::gui
