#include "controls/CAppPropSheet.h"

#include "lang/QtTextTargets.h"

namespace tarvola::gui {

CAppPropSheet::CAppPropSheet(QWidget* parent) : QTabWidget(parent)
{
    setDocumentMode(false);
    connect(this, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0 && static_cast<std::size_t>(index) < m_pages.size())
            m_pages[static_cast<std::size_t>(index)]->activate();
    });
}

void CAppPropSheet::addPage(CAppPropPage* page)
{
    m_pages.push_back(page);
    setTextScope(page);
    const QSignalBlocker block(this);
    addTab(page, page->title());
}

CAppPropPage* CAppPropSheet::activePage() const
{
    const int i = currentIndex();
    return i >= 0 && static_cast<std::size_t>(i) < m_pages.size() ? m_pages[static_cast<std::size_t>(i)] : nullptr;
}

void CAppPropSheet::applyTexts()
{
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        m_pages[i]->applyTexts();
        setTabText(static_cast<int>(i), m_pages[i]->title());
    }
}

} // namespace tarvola::gui
