#pragma once
// The main view: the live dashboard (switch panel with fuel gauge and lamps, injector columns,
// pressures, temperatures, supply voltage, engine speed, per-cylinder petrol times) over the property
// sheet of settings, map and oscilloscope pages. It owns the toolbar commands and the three work-mode
// buttons.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <array>
#include <functional>

#include "controls/CAppPropSheet.h"
#include "controls/CColorStatic.h"
#include "lang/WindowTexts.h"
#include "monitor/CDiag.h"

namespace tarvola {
class IError;
struct DeviceChange;
}

namespace tarvola::gui {

class CVeldranixDoc;
class CMainFrame;
class CAdvancedPageWidget;

class CVeldranixView : public QWidget, public CViewTexts {
    Q_OBJECT
public:
    CVeldranixView(CVeldranixDoc& doc, CMainFrame& frame, QWidget* parent = nullptr);

    // Connects, adds the pages, reloads everything and starts polling (or the reconnect timer).
    void firstUpdate();
    // Texts in the current language; the active page reloads its lists and the record.
    void applyLanguage();
    // One refresh tick: the dashboard from the newest sample, then the active page's live update.
    void liveRefresh();
    bool initialised() const { return m_initialised; }

    CAppPropSheet* sheet() const { return m_sheet; }
    // Read access for tests and the screenshot command.
    CColorStatic* indicator(int index) const { return m_indicators[static_cast<std::size_t>(index)]; }  // 0..6 = 1162..1168
    CColorStatic* injectorLabel(int i) const { return m_injLabels[static_cast<std::size_t>(i)]; }
    QCheckBox* injectorCheck(int i) const { return m_injChecks[static_cast<std::size_t>(i)]; }
    CColorStatic* petrolValue(int i) const { return m_petrol[static_cast<std::size_t>(i)]; }
    CColorStatic* gasValue(int i) const { return m_gas[static_cast<std::size_t>(i)]; }
    CColorStatic* cylinderValue(int i) const { return m_cylPetrol[static_cast<std::size_t>(i)]; }
    CColorStatic* rpmValue() const { return m_rpm; }
    CColorStatic* gasPressureValue() const { return m_gasPressure; }
    CColorStatic* manifoldValue() const { return m_manifold; }
    CColorStatic* supplyValue() const { return m_supply; }
    QPushButton* button(int id) const;

    // The fuel gauge of the switch panel for a sample in gas mode (public for tests).
    void showFuelGauge(std::uint8_t level);

signals:
    // The first live values are on screen.
    void firstLiveValue();

public slots:
    void OnBtnGasoline();
    void OnBtnAuto();
    void OnBtnLpg();
    void onTurnOffEm();
    void onCommand(int command);

private:
    void documentChanged(const DeviceChange& change);
    QWidget* buildSwitchPanel();
    QWidget* buildInjectors();
    QWidget* buildReadouts();
    QWidget* buildCylinderList();
    CColorStatic* valueStatic(const QColor& text, int minChars);
    QLabel* caption(int id);
    QGroupBox* boldGroup(int id);
    void emptyValues();
    void switchPanel(const CDiag& sample);
    // Shows the error-object box: the handler's name, a line break, the description.
    void showError(const char* handler, const IError& error);
    // A work-mode switch under the wait cursor: `failure` when the command fails, the error-object
    // box named `handler` when the link raises.
    void runWorkModeSwitch(const char* handler, const std::function<bool()>& command, const char* failure);
    void showLargeDisplay();

    CVeldranixDoc& m_doc;
    CMainFrame& m_frame;
    CAppPropSheet* m_sheet = nullptr;
    std::array<CColorStatic*, 7> m_indicators{};
    std::array<CColorStatic*, 8> m_injLabels{}, m_petrol{}, m_gas{}, m_cylPetrol{};
    std::array<QCheckBox*, 8> m_injChecks{};
    std::array<QWidget*, 8> m_cylRows{};
    CColorStatic *m_lambda1 = nullptr, *m_lambda2 = nullptr, *m_gasTime = nullptr, *m_gasPressure = nullptr,
                 *m_rpm = nullptr, *m_gasTemp = nullptr, *m_reducerTemp = nullptr, *m_manifold = nullptr,
                 *m_supply = nullptr;
    QPushButton *m_btnGasoline = nullptr, *m_btnAuto = nullptr, *m_btnLpg = nullptr;
    QFont m_valueFont;
    unsigned m_tick = 0;
    bool m_initialised = false;
    bool m_shownLive = false;
};

// The blinking gas-mode lamp's state, shared by every view (there is one).
bool& blinkState();

} // namespace tarvola::gui
