#pragma once
// Drop-down lists whose items carry a number. CValueCmbBox shows each item as its value with a given
// number of decimals; CStrValueCmbBox shows a text of its own beside the value. Pages select and
// read them by value, never by position.

#include <QComboBox>
#include <optional>
#include <vector>

#include "settings/SettingsPages.h"

namespace tarvola::gui {

class CValueCmbBox : public QComboBox {
    Q_OBJECT
public:
    explicit CValueCmbBox(QWidget* parent = nullptr);

    // Adds an item shown as the value rounded half away from zero to `decimals` (0 to 3) places.
    void addValue(double value, int decimals);
    // Replaces the items, keeping the selected position (the first item when none was selected).
    // Items with a text show it through `translateText`, the others as their number.
    void fill(const std::vector<PageItem>& items);
    // Selects the first item whose value, rounded to its decimals, equals `value`; false, and the
    // selection untouched, when none does.
    bool selectValue(double value);
    // The selected item's value; nullopt when nothing is selected.
    std::optional<double> selectedValue() const;

protected:
    std::vector<PageItem> m_items;
};

class CStrValueCmbBox : public CValueCmbBox {
    Q_OBJECT
public:
    using CValueCmbBox::CValueCmbBox;
    // Adds an item with its own (already translated) text.
    void addTextValue(const QString& text, double value);
};

} // namespace tarvola::gui
