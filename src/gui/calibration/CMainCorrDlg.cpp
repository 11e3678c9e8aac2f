#include "calibration/CMainCorrDlg.h"

#include "app/CVeldranixDoc.h"

namespace tarvola::gui {

CMainCorrDlg::CMainCorrDlg(CVeldranixDoc& doc, QWidget* parent) : QDialog(parent), m_doc(doc) {}

void CMainCorrDlg::openOnce(CVeldranixDoc& doc, QWidget* parent)
{
    CMainCorrDlg dlg(doc, parent);
    dlg.exec();
}

} // namespace tarvola::gui
