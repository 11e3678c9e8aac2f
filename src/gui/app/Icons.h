#pragma once
// The toolbar's icons, drawn by the program itself so they scale cleanly and need no image files.

#include <QIcon>

namespace tarvola::gui {

// The icon of a toolbar command; an empty icon for a command without one.
QIcon commandIcon(int command);

} // namespace tarvola::gui
