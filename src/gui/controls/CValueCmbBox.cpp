#include "controls/CValueCmbBox.h"

#include "lang/translate.h"

namespace tarvola::gui {

CValueCmbBox::CValueCmbBox(QWidget* parent) : QComboBox(parent)
{
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    setMaxVisibleItems(20);
}

void CValueCmbBox::addValue(double value, int decimals)
{
    m_items.push_back({value, decimals, nullptr});
    addItem(QString::fromStdString(formatItemValue(value, decimals)));
}

void CStrValueCmbBox::addTextValue(const QString& text, double value)
{
    m_items.push_back({value, 0, nullptr});
    addItem(text);
}

void CValueCmbBox::fill(const std::vector<PageItem>& items)
{
    const int kept = currentIndex() < 0 ? 0 : currentIndex();
    const QSignalBlocker block(this);
    clear();
    m_items.clear();
    for (const auto& item : items) {
        m_items.push_back(item);
        addItem(item.text ? QString::fromStdString(translate(item.text))
                          : QString::fromStdString(formatItemValue(item.value, item.decimals)));
    }
    setCurrentIndex(kept < count() ? kept : (count() > 0 ? 0 : -1));
    // Wide enough for the longest item in the current language.
    setMinimumWidth(sizeHint().width());
}

bool CValueCmbBox::selectValue(double value)
{
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (itemMatches(m_items[i], value)) {
            const QSignalBlocker block(this);
            setCurrentIndex(static_cast<int>(i));
            return true;
        }
    }
    return false;
}

std::optional<double> CValueCmbBox::selectedValue() const
{
    const int i = currentIndex();
    if (i < 0 || static_cast<std::size_t>(i) >= m_items.size())
        return std::nullopt;
    return m_items[static_cast<std::size_t>(i)].value;
}

} // namespace tarvola::gui
