#pragma once
// The program's data folder: the installed <prefix>/share/tarvola, or the source tree's data/ when
// the program runs from the build tree (the folder that holds E_Lang).

#include <QString>

#include "lang/LanguageServices.h"

namespace tarvola::gui {

inline QString dataFolder()
{
    return QString::fromStdString(defaultLanguageFolder().parent_path().string());
}

} // namespace tarvola::gui
