#include "calibration/CMapCorrPage.h"

#include "app/CVeldranixDoc.h"
#include "lang/QtTextTargets.h"
#include "lang/translate.h"

namespace tarvola::gui {

CMapCorrPage::CMapCorrPage(CVeldranixDoc& doc, QWidget* parent) : CAppPropPage(parent), m_doc(doc) {}

QString CMapCorrPage::title() const
{
    return qs(translate("Mapa"));
}

} // namespace tarvola::gui
