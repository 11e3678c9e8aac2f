#pragma once
// (being built)

#include <QDialog>

#include "lang/WindowTexts.h"

namespace tarvola::gui {

class CVeldranixDoc;

class CMainCorrDlg : public QDialog, public CMainCorrDlgTexts {
    Q_OBJECT
public:
    CMainCorrDlg(CVeldranixDoc& doc, QWidget* parent = nullptr);
    // The "Korekta główna" command: opens the dialog, or raises it when it is open already.
    static void openOnce(CVeldranixDoc& doc, QWidget* parent);

private:
    CVeldranixDoc& m_doc;
};

} // namespace tarvola::gui
