#pragma once
// The text tables write into Qt widgets through these: a control is found by the text identifier
// stored on it with setTextId(); labels, buttons and group boxes take their texts, the window its
// caption. Menus are found by position, their entries by the command identifier in the action's data.

#include <QMenuBar>
#include <QString>
#include <QWidget>

#include "lang/TextTargets.h"

namespace tarvola::gui {

inline QString qs(const std::string& utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// Marks a widget as the control with this identifier of its window's text table.
void setTextId(QWidget* widget, int id);
int textId(const QWidget* widget);
// Marks a widget whose controls take their texts from a table of its own (a page inside the main
// view): the texts of the window around it never reach them, whatever their numbers.
void setTextScope(QWidget* widget);

class CWidgetTextTarget : public ITextTarget {
public:
    explicit CWidgetTextTarget(QWidget* window, bool setsCaption = true) : m_window(window), m_setsCaption(setsCaption) {}
    void setControlText(int id, const std::string& text) override;
    void setCaption(const std::string& text) override;
    void repaint() override;

private:
    QWidget* m_window;
    bool m_setsCaption;
};

class CMenuTextTarget : public IMenuTarget {
public:
    explicit CMenuTextTarget(QMenuBar* bar) : m_bar(bar) {}
    int topLevelCount() const override;
    std::vector<int> entryCommands(int position) const override;
    void setTopLevelText(int position, const std::string& text) override;
    void setEntryText(int position, int entry, const std::string& text) override;
    void redraw() override;

private:
    QMenu* menuAt(int position) const;
    QMenuBar* m_bar;
};

} // namespace tarvola::gui
