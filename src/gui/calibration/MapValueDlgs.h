#pragma once
// The three small dialogs of the map edits: add, subtract and set a percentage for the selected
// cells. Each shows a caption, a prompt, a number box with "%" after it, OK and Cancel; the number
// starts at 5. OK hands the number to the dialog's acceptance rule (calibration/MapGridModel.h): a
// refused number keeps the dialog open, an accepted one is shown as accepted (50 for 80) and closes
// it with OK.

#include <QDialog>

#include "lang/WindowTexts.h"

namespace tarvola {
class IUserPrompt;
}

namespace tarvola::gui {

class CNumEdit;

class CMapValueDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kStartValue = 5;

    int value() const { return m_value; }
    void setValue(int value);
    CNumEdit* numberBox() const { return m_edit; }

public slots:
    // OK: reads the box and applies the dialog's rule.
    void onOk();

protected:
    CMapValueDlg(int editId, int promptId, QWidget* parent);
    // True when `value` may close the dialog; may change it to what the dialog then shows.
    virtual bool acceptValue(int& value) = 0;
    void applyTexts(const CWindowTexts& texts);

private:
    CNumEdit* m_edit;
    int m_value = kStartValue;
};

class CMapAddDlg : public CMapValueDlg, public CMapAddDlgTexts {
    Q_OBJECT
public:
    // `prompt` shows the refusal of a negative number; it must outlive the dialog.
    CMapAddDlg(IUserPrompt& prompt, QWidget* parent = nullptr);

protected:
    bool acceptValue(int& value) override;

private:
    IUserPrompt& m_prompt;
};

class CMapSubbDlg : public CMapValueDlg, public CMapSubbDlgTexts {
    Q_OBJECT
public:
    CMapSubbDlg(IUserPrompt& prompt, QWidget* parent = nullptr);

protected:
    bool acceptValue(int& value) override;

private:
    IUserPrompt& m_prompt;
};

class CMapSetDlg : public CMapValueDlg, public CMapSetDlgTexts {
    Q_OBJECT
public:
    explicit CMapSetDlg(QWidget* parent = nullptr);

protected:
    bool acceptValue(int& value) override;
};

} // namespace tarvola::gui
