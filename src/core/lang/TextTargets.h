#pragma once
// What the text tables write into: a window or a menu of whatever toolkit shows them. The core
// knows no windows; the GUI implements these over its widgets, tests over plain maps.
// Texts arrive as UTF-8.

#include <string>
#include <vector>

namespace tarvola {

class ITextTarget {
public:
    virtual ~ITextTarget() = default;
    // Sets the text of the window's control with this identifier; does nothing when the window has
    // no such control (a table may serve several variants of a window).
    virtual void setControlText(int id, const std::string& text) = 0;
    // Sets the window's own caption.
    virtual void setCaption(const std::string& text) = 0;
    // Called once after the control texts are set, before the caption; a window redraws here.
    virtual void repaint() {}
};

class IMenuTarget {
public:
    virtual ~IMenuTarget() = default;
    // The number of top-level entries (the menu bar).
    virtual int topLevelCount() const = 0;
    // The command identifiers of the drop-down at top-level `position`, one per entry in entry
    // order; 0 or less for entries without a command (separators, sub-menus), which keep their text.
    virtual std::vector<int> entryCommands(int position) const = 0;
    virtual void setTopLevelText(int position, const std::string& text) = 0;
    // Relabels entry `entry` of the drop-down at `position`; its command stays.
    virtual void setEntryText(int position, int entry, const std::string& text) = 0;
    // Called once after all entries are relabelled; the owning window redraws its menu bar here.
    virtual void redraw() {}
};

} // namespace tarvola
