#pragma once
// The vehicle information dialog ("Informacje o pojeździe") and the next service dialog
// ("Następny przegląd") it opens. The core computes everything they show and store
// (settings/ServiceInfo.h); the dialogs read the statistics, lay out the values and write the
// advanced setup block. Both redraw from the document's announcements.

#include <QDialog>
#include <cstdint>
#include <optional>

#include "lang/WindowTexts.h"

class QComboBox;
class QLabel;

namespace tarvola {
struct DeviceChange;
}

namespace tarvola::gui {

class CVeldranixDoc;

class CServiceDlg : public QDialog, public CServiceDlgTexts {
    Q_OBJECT
public:
    // Reads the statistics when the controller is connected; without them the time rows stay empty.
    CServiceDlg(CVeldranixDoc& doc, QWidget* parent = nullptr);

    // The vehicle information command: the dialog, modal.
    static void open(CVeldranixDoc& doc, QWidget* parent);

    // The value of a row, by its identifier (serviceids::PetrolTime … HoursUnit).
    QLabel* field(int id) const;

public slots:
    // "Ustaw": the next service dialog, modal; the remaining hours are shown anew when it closes.
    void OnBtnSet();

private:
    void applyTexts();
    void documentChanged(const DeviceChange& change);
    void refresh();

    CVeldranixDoc& m_doc;
    bool m_statisticsRead = false;
};

class CSetServiceDlg : public QDialog, public CSetServiceDlgTexts {
    Q_OBJECT
public:
    // Opens on "Wyłączony".
    CSetServiceDlg(CVeldranixDoc& doc, QWidget* parent = nullptr);

    // The distances, "Wyłączony" first; a distance may also be typed.
    QComboBox* distanceBox() const { return m_distance; }
    // What the box holds as a distance in km; nothing when it holds none the reminder can take.
    std::optional<std::uint32_t> chosenKm() const;
    // The refusal beside the distance box; hidden while there is none.
    QLabel* refusalLabel() const { return m_refusal; }

public slots:
    // OK: stores the next service and writes the advanced setup block; closes on success. A distance
    // it cannot take, or a refused write, keeps the dialog open with the user's entry.
    void onOk();

private:
    void applyTexts();
    void showRefusal();

    CVeldranixDoc& m_doc;
    QComboBox* m_distance = nullptr;
    QLabel* m_refusal = nullptr;
    bool m_refused = false;
};

} // namespace tarvola::gui
