#pragma once
// One controller settings page, laid out from its table of controls: a group box per group, a row
// per control (label, list or check box, unit). Every change is written at once; a failed write
// shows its message and leaves the record changed. The gas page adds the fuel level lamps and the
// live reading; the advanced page sits behind the password gate.

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QSlider>
#include <functional>
#include <map>

#include "controls/CAppPropPage.h"
#include "controls/CColorStatic.h"
#include "controls/CNumEdit.h"
#include "controls/CValueCmbBox.h"
#include "lang/WindowTexts.h"
#include "device/CLPGDevice.h"
#include "settings/SettingsPages.h"

namespace tarvola::gui {

class CVeldranixDoc;

class SettingsPageWidget : public CAppPropPage {
    Q_OBJECT
public:
    SettingsPageWidget(CVeldranixDoc& doc, const SettingsPage& page, QWidget* parent = nullptr);

    void reload() override;
    void activate() override;
    void applyTexts() override;
    void liveUpdate(unsigned tick) override;
    QString title() const override;

    const SettingsPage& page() const { return m_page; }
    // The control widgets by identifier (a CValueCmbBox, QCheckBox or QSlider).
    QWidget* control(int id) const;
    CColorStatic* fuelLamp(int index) const { return m_lamps[static_cast<std::size_t>(index)]; }  // 0 top .. 4 reserve
    QLabel* fuelReading() const { return m_reading; }
    // Runs the change a user makes on control `id` with `value` (what picking, clicking or sliding
    // does); public so tests can drive it the same way.
    void change(int id, double value);
    // How the password gate asks; the default opens the password dialog. For tests.
    void setPasswordAsker(std::function<bool()> asker) { m_askPassword = std::move(asker); }
    bool locked() const;

private:
    void build();
    void buildFuelLevel(QGridLayout* grid, int& row);
    void showRecord();
    void showLocked();

    CVeldranixDoc& m_doc;
    const SettingsPage& m_page;
    CSettingsPageTexts m_texts;
    std::map<int, QWidget*> m_controls;
    std::map<int, std::vector<QWidget*>> m_rows;  // every widget of a control's row, for hiding
    std::map<int, CNumEdit*> m_numbers;
    std::array<CColorStatic*, 5> m_lamps{};
    QLabel* m_reading = nullptr;
    std::function<bool()> m_askPassword;
    bool m_blink = false;
    bool m_showing = false;
    DeviceChange m_shownBlocks;  // the blocks this page's controls show
};

} // namespace tarvola::gui
