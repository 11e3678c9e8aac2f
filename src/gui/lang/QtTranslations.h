#pragma once
// Qt's own texts (the standard buttons of message boxes, the file dialogs, the context menus of edit
// fields) in the chosen language, from the translations Qt ships. A language Qt has no translation for
// keeps Qt's English.

namespace tarvola::gui {

// Installs Qt's translation for a language id (0..12), replacing the one installed before. False when
// Qt has none for it (Slovenian, Lithuanian, Thai) or it could not be loaded.
bool installQtTranslation(int language);

} // namespace tarvola::gui
