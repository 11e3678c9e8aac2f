#include "lang/QtTextTargets.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>

namespace tarvola::gui {

namespace {
constexpr const char* kIdProperty = "tarvolaTextId";
constexpr const char* kScopeProperty = "tarvolaTextScope";

// True when `widget` lies inside a text scope nested in `window`.
bool inNestedScope(const QWidget* widget, const QWidget* window)
{
    for (const QWidget* w = widget->parentWidget(); w && w != window; w = w->parentWidget())
        if (w->property(kScopeProperty).toBool())
            return true;
    return false;
}
} // namespace

void setTextScope(QWidget* widget)
{
    widget->setProperty(kScopeProperty, true);
}

void setTextId(QWidget* widget, int id)
{
    widget->setProperty(kIdProperty, id);
}

int textId(const QWidget* widget)
{
    const QVariant v = widget->property(kIdProperty);
    return v.isValid() ? v.toInt() : 0;
}

void CWidgetTextTarget::setControlText(int id, const std::string& text)
{
    const QString t = qs(text);
    for (QWidget* w : m_window->findChildren<QWidget*>()) {
        if (textId(w) != id || inNestedScope(w, m_window))
            continue;
        if (auto* label = qobject_cast<QLabel*>(w))
            label->setText(t);
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            button->setText(t);
        else if (auto* group = qobject_cast<QGroupBox*>(w))
            group->setTitle(t);
    }
}

void CWidgetTextTarget::setCaption(const std::string& text)
{
    if (m_setsCaption)
        m_window->setWindowTitle(qs(text));
}

void CWidgetTextTarget::repaint()
{
    m_window->update();
}

QMenu* CMenuTextTarget::menuAt(int position) const
{
    const auto actions = m_bar->actions();
    if (position < 0 || position >= actions.size())
        return nullptr;
    return actions[position]->menu();
}

int CMenuTextTarget::topLevelCount() const
{
    return static_cast<int>(m_bar->actions().size());
}

std::vector<int> CMenuTextTarget::entryCommands(int position) const
{
    std::vector<int> out;
    if (QMenu* menu = menuAt(position))
        for (QAction* a : menu->actions())
            out.push_back(a->isSeparator() ? 0 : a->data().toInt());
    return out;
}

void CMenuTextTarget::setTopLevelText(int position, const std::string& text)
{
    if (QMenu* menu = menuAt(position))
        menu->setTitle(qs(text));
}

void CMenuTextTarget::setEntryText(int position, int entry, const std::string& text)
{
    if (QMenu* menu = menuAt(position)) {
        const auto actions = menu->actions();
        if (entry >= 0 && entry < actions.size()) {
            actions[entry]->setText(qs(text));
            QString tip = qs(text);
            if (tip.endsWith("..."))
                tip.chop(3);
            actions[entry]->setToolTip(tip);
        }
    }
}

void CMenuTextTarget::redraw()
{
    m_bar->update();
}

} // namespace tarvola::gui
