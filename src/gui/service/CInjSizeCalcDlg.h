#pragma once
// The injector size calculator ("Obliczanie średnicy dysz"): the gas nozzle diameter for an engine's
// power, cylinder count and petrol injection type. It talks to no controller; every rule (the table,
// the power text, the spin range, what is refused) is the core's (settings/InjectorSize.h). A power
// the calculation refuses is said beside the power box, and the typed text stays for correcting.

#include <QDialog>
#include <optional>

#include "lang/WindowTexts.h"
#include "settings/InjectorSize.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tarvola::gui {

class CStrValueCmbBox;
class CValueCmbBox;
class CVeldranixDoc;

class CInjSizeCalcDlg : public QDialog, public CInjSizeCalcDlgTexts {
    Q_OBJECT
public:
    // Sequential, the first cylinder count, 100 HP and no result.
    explicit CInjSizeCalcDlg(CVeldranixDoc& doc, QWidget* parent = nullptr);

    // The calculator command: the dialog, modal.
    static void open(CVeldranixDoc& doc, QWidget* parent);

    QLineEdit* powerBox() const { return m_power; }
    CStrValueCmbBox* typeBox() const { return m_type; }
    CValueCmbBox* cylindersBox() const { return m_cylinders; }
    // The diameter shown ("2.6"); empty before a calculation and after a refused one.
    QString resultText() const;
    // The refusal beside the power box; hidden while there is none.
    QLabel* refusalLabel() const { return m_refusal; }

public slots:
    // "Oblicz".
    void OnBtnCalculate();
    // One step of the spin control beside the power box (+1 up, -1 down).
    void stepPower(int step);

private:
    void applyTexts();
    void fillLists();
    void showRefusal();

    QLineEdit* m_power = nullptr;
    CStrValueCmbBox* m_type = nullptr;
    CValueCmbBox* m_cylinders = nullptr;
    QLineEdit* m_result = nullptr;
    QLabel* m_refusal = nullptr;
    // What the last calculation refused; kept so a change of language can say it again.
    InjectorSizeError m_refused = InjectorSizeError::None;
};

} // namespace tarvola::gui
