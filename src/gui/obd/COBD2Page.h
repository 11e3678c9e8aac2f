#pragma once
// The OBD-II page ("Diagnostyka OBD"): the car behind the controller's OBD gateway. It shows the
// bus and the OBD standard the car declares, its live values and fuel trims, the two corrections
// the controller computed from them, reads and erases the car's trouble codes, and sets how the
// controller follows the trims.
//
// The page is the view of a COBDSession: opening, polling, the codes and every setting are the
// session's; the page lays out controls, forwards clicks and shows what the session holds. Message
// boxes come from the session through the document's prompt.

#include <array>
#include <memory>

#include "controls/CAppPropPage.h"
#include "lang/WindowTexts.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tarvola {
class COBDSession;
struct DeviceChange;
} // namespace tarvola

namespace tarvola::gui {

class CVeldranixDoc;
class CValueCmbBox;

class COBD2Page : public CAppPropPage, public COBD2PageTexts {
    Q_OBJECT
public:
    static constexpr int kCylinders = 8;
    static constexpr int kLiveValues = 9;

    // `doc` must outlive the page. Nothing is sent until the page is shown.
    COBD2Page(CVeldranixDoc& doc, QWidget* parent = nullptr);
    ~COBD2Page() override;

    QString title() const override;
    // Opens the OBD link again (when connected) and shows what it found.
    void reload() override;
    void applyTexts() override;
    // One exchange of live values while the car's link is on, and the computed corrections.
    void liveUpdate(unsigned tick) override;

    const COBDSession& session() const { return *m_session; }
    // The page's controls by their identifiers (obdids); null for an unknown one.
    QWidget* control(int id) const;
    QLineEdit* liveField(int entry) const { return m_liveFields.at(static_cast<std::size_t>(entry)); }
    QListWidget* codeList() const { return m_codes; }
    // The car-does-not-answer line under the live values; hidden while the car answers.
    QLabel* statusLine() const { return m_status; }
    QPushButton* bankButton(int cylinder, int bank) const;

private:
    void build();
    QGroupBox* buildLinkGroup();
    QGroupBox* buildLiveGroup();
    QGroupBox* buildCorrectionGroup();
    QGroupBox* buildCodesGroup();
    void documentChanged(const DeviceChange& change);
    void showLink();
    void showLive();
    void showCorrection();
    void showCodes();
    void showStatus(bool carAnswers);
    void onConnectedChosen();
    void onReadCodes();
    void onEraseCodes();

    CVeldranixDoc& m_doc;
    std::unique_ptr<COBDSession> m_session;
    QLineEdit* m_protocol = nullptr;
    QLineEdit* m_standard = nullptr;
    QComboBox* m_connected = nullptr;
    std::array<QLabel*, kLiveValues> m_liveNames{};
    std::array<QLineEdit*, kLiveValues> m_liveFields{};
    std::array<QLabel*, kLiveValues> m_liveUnits{};
    QLineEdit* m_computed1 = nullptr;
    QLineEdit* m_computed2 = nullptr;
    QLabel* m_status = nullptr;
    QCheckBox* m_readCorr = nullptr;
    QWidget* m_corrControls = nullptr;
    CValueCmbBox* m_period = nullptr;
    CValueCmbBox* m_maxCorr = nullptr;
    std::array<std::array<QPushButton*, 2>, kCylinders> m_bankButtons{};
    QPushButton* m_btnRead = nullptr;
    QPushButton* m_btnErase = nullptr;
    QListWidget* m_codes = nullptr;

    bool m_filling = false;       // controls set by the page itself: no handler writes anything
    unsigned m_quietUntil = 0;    // after the car stayed silent, the next live try waits until this tick
};

} // namespace tarvola::gui
