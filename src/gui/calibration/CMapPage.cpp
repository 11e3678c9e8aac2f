#include "calibration/CMapPage.h"

#include "app/CVeldranixDoc.h"
#include "lang/QtTextTargets.h"
#include "lang/translate.h"

namespace tarvola::gui {

CMapPage::CMapPage(CVeldranixDoc& doc, QWidget* parent) : CAppPropPage(parent), m_doc(doc) {}

QString CMapPage::title() const
{
    return qs(translate("Kalibracja"));
}

} // namespace tarvola::gui
