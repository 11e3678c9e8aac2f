#pragma once
// The property sheet inside the main view: a tab control whose pages activate when chosen.

#include <QTabWidget>
#include <vector>

#include "controls/CAppPropPage.h"

namespace tarvola::gui {

class CAppPropSheet : public QTabWidget {
    Q_OBJECT
public:
    explicit CAppPropSheet(QWidget* parent = nullptr);
    void addPage(CAppPropPage* page);
    CAppPropPage* activePage() const;
    const std::vector<CAppPropPage*>& pages() const { return m_pages; }
    // Re-applies every page's texts and tab title.
    void applyTexts();

private:
    std::vector<CAppPropPage*> m_pages;
};

} // namespace tarvola::gui
