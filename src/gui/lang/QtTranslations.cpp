#include "lang/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace tarvola::gui {

namespace {
// Qt's file suffix for each language id; null where Qt ships none.
const char* qtLanguage(int language)
{
    static const char* const kNames[] = {"pl", "en", "ru", "de", "tr", "cs", "hr", nullptr, nullptr, "it", "es", "pt_BR",
                                         nullptr};
    return language >= 0 && language < 13 ? kNames[language] : nullptr;
}
} // namespace

bool installQtTranslation(int language)
{
    static std::unique_ptr<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    const char* name = qtLanguage(language);
    if (!name)
        return false;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_") + QLatin1String(name),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
    return true;
}

} // namespace tarvola::gui
