#pragma once
// Base of the property sheet's pages. Activating a page fills its value lists and shows the record;
// the refresh timer gives the active page a live-update call on each tick.

#include <QWidget>

namespace tarvola::gui {

class CAppPropPage : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    // Fills the value lists and shows the record: after the whole record changed.
    virtual void reload() {}
    // The page becomes active: reloads it.
    virtual void activate() { reload(); }
    // Re-applies the page's texts in the current language.
    virtual void applyTexts() {}
    // One refresh tick while connected; `tick` counts the ticks.
    virtual void liveUpdate(unsigned /*tick*/) {}
    // The page's tab title in the current language.
    virtual QString title() const = 0;
};

} // namespace tarvola::gui
