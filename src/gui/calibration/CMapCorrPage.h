#pragma once
// (being built)

#include "controls/CAppPropPage.h"

namespace tarvola::gui {

class CVeldranixDoc;

class CMapCorrPage : public CAppPropPage {
    Q_OBJECT
public:
    CMapCorrPage(CVeldranixDoc& doc, QWidget* parent = nullptr);
    QString title() const override;

private:
    CVeldranixDoc& m_doc;
};

} // namespace tarvola::gui
