#pragma once
// (being built)

#include "controls/CAppPropPage.h"

namespace tarvola::gui {

class CVeldranixDoc;

class CMapPage : public CAppPropPage {
    Q_OBJECT
public:
    CMapPage(CVeldranixDoc& doc, QWidget* parent = nullptr);
    QString title() const override;

private:
    CVeldranixDoc& m_doc;
};

} // namespace tarvola::gui
