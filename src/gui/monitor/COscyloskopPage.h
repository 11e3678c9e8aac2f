#pragma once
// The oscilloscope page ("Oscyloskop"): nine live values as scrolling curves, a check box per curve,
// the scale of the grid labels, pause (||) and resume (>), recording the live samples into a file
// ("Zapisz jako...") and drawing a recording again ("Otwórz...").
//
// The page is constructed paused: it draws nothing live until ">" is pressed. Its rules live in
// OscilloscopeModel; the page draws the model and passes the buttons on. The same page, larger,
// is the charts dialog's second tab.

#include <QString>
#include <array>
#include <functional>

#include "controls/CAppPropPage.h"
#include "lang/WindowTexts.h"
#include "monitor/Oscilloscope.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace tarvola {
struct DeviceChange;
}

namespace tarvola::gui {

class CVeldranixDoc;
class CScrollChart;

class COscyloskopPage : public CAppPropPage, public COscyloskopPageTexts {
    Q_OBJECT
public:
    // Asks for a recording's file name in `folder`: to write one (`save`) or to open one. Empty:
    // cancelled. Tests put their own in place of the system's file dialog.
    using FileChooser = std::function<QString(QWidget* parent, bool save, const QString& folder)>;
    static void setFileChooser(FileChooser chooser);

    // `large`: the charts dialog's page, with larger text. `doc` must outlive the page.
    COscyloskopPage(CVeldranixDoc& doc, bool large, QWidget* parent = nullptr);

    QString title() const override;
    void applyTexts() override;
    // Draws the sample before the newest while connected and not paused.
    void liveUpdate(unsigned tick) override;

    const OscilloscopeModel& model() const { return m_model; }
    CScrollChart* chart() const { return m_chart; }
    // The page's controls by their identifiers (oscids); null for an unknown one.
    QWidget* control(int id) const;

    // The buttons' actions.
    void resume();
    void pause();
    void startRecording();
    void openRecording();

private:
    void build(bool large);
    void fillScales();
    void showScale();
    void documentChanged(const DeviceChange& change);
    void showRecording(const QString& path);
    QString chooseFile(bool save);

    CVeldranixDoc& m_doc;
    OscilloscopeModel m_model;
    CScrollChart* m_chart = nullptr;
    std::array<QCheckBox*, osc::kChannels> m_checks{};
    QComboBox* m_scale = nullptr;
    QPushButton* m_resume = nullptr;
    QPushButton* m_pause = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_record = nullptr;
    QLabel* m_recordingCaption = nullptr;
    QLabel* m_recordingName = nullptr;
};

} // namespace tarvola::gui
