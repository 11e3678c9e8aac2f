#pragma once
// The stored-errors dialog ("Błędy"): the controller's stored faults as text, "Kasuj błędy" to clear
// them and the "Sygnał ciągły dla błędów" check box for the controller's continuous error buzzer.
// Reading and clearing are the core's (service/DeviceErrorsCommands.h); the dialog announces what
// they changed through the document and draws the stored faults from the device's model, so the text
// follows a change of language without asking the controller again.

#include <QDialog>

#include "lang/WindowTexts.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace tarvola {
struct DeviceChange;
}

namespace tarvola::gui {

class CVeldranixDoc;

class CErrorsDlg : public QDialog, public CErrDlgTexts {
    Q_OBJECT
public:
    // Reads the stored faults at once when a controller is connected (a failed read leaves the text
    // empty and says nothing); without one "Kasuj błędy" is disabled.
    CErrorsDlg(CVeldranixDoc& doc, QWidget* parent = nullptr);

    // The stored-errors command: the dialog, modal.
    static void open(CVeldranixDoc& doc, QWidget* parent);

    // The faults as shown, one a line.
    QString errorText() const;
    QPushButton* clearButton() const { return m_clear; }
    QCheckBox* buzzerBox() const { return m_buzzer; }

public slots:
    // Clears the stored faults (petrol first), empties the text and closes the dialog with OK;
    // a refused clear says so first.
    void OnBtnClear();
    // Sets or clears the buzzer bit of the base settings and writes them; without a controller the
    // box goes back to what the record holds.
    void OnChkBuzerSignalContinious();

private:
    void OnInitDialog();
    void applyTexts();
    void documentChanged(const DeviceChange& change);
    void showErrors();
    void showBuzzer();

    CVeldranixDoc& m_doc;
    QLabel* m_text = nullptr;
    QPushButton* m_clear = nullptr;
    QCheckBox* m_buzzer = nullptr;
};

} // namespace tarvola::gui
