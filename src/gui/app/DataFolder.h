#pragma once
// The program's data folder (platform/DataFolder.h) as the windows use it: the user's guide and the
// firmware images.

#include <QFileInfo>
#include <QString>

#include "platform/DataFolder.h"

namespace tarvola::gui {

inline QString dataFolder()
{
    return QString::fromStdString(tarvola::dataFolder().string());
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
