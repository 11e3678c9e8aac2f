#pragma once
// The program's data folder: the installed <prefix>/share/tarvola, or the source tree's data/ when
// the program runs from the build tree (the folder that holds E_Lang).

#include <QFileInfo>
#include <QString>

#include "lang/LanguageServices.h"

namespace tarvola::gui {

inline QString dataFolder()
{
    return QString::fromStdString(defaultLanguageFolder().parent_path().string());
}

// The user's guide in a language (its first page), English where there is none in that language.
inline QString guidePage(int language)
{
    static const char* const kCodes[] = {"pl", "en", "ru", "de", "tr", "cs", "hr", "sl", "lt", "it", "es", "pt", "th"};
    const QString folder = dataFolder() + QStringLiteral("/guide/");
    if (language >= 0 && language < 13) {
        const QString page = folder + QLatin1String(kCodes[language]) + QStringLiteral("/index.html");
        if (QFileInfo::exists(page))
            return page;
    }
    return folder + QStringLiteral("en/index.html");
}

} // namespace tarvola::gui
