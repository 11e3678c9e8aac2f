// tarvola: the desktop application.

#include <QApplication>
#include <QIcon>
#include <cstdio>

#include "app/AppOptions.h"
#include "app/CVeldranixApp.h"
#include "app/DataFolder.h"
#include "lang/LanguageServices.h"
#include "platform/Version.h"

int main(int argc, char** argv)
{
    using namespace tarvola;
    std::vector<std::string> args(argv + 1, argv + argc);
    gui::AppOptions options;
    std::string error;
    if (!gui::parseAppOptions(args, options, error)) {
        std::fprintf(stderr, "tarvola: %s\n%s", error.c_str(), gui::appUsage());
        return 2;
    }
    if (options.help) {
        std::fputs(gui::appUsage(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("tarvola %s\n", programVersion());
        return 0;
    }
    // Languages come before any window: the dictionary, the language files, the user's language.
    startLanguages();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TARVOLA"));
    QApplication::setApplicationVersion(QString::fromLatin1(programVersion()));
    // The same picture as the desktop entry's icon, which the desktop file name ties the window to.
    QApplication::setDesktopFileName(QStringLiteral("org.tarvola.Tarvola"));
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(gui::dataFolder() + QStringLiteral("/icons/hicolor/%1x%1/apps/org.tarvola.Tarvola.png").arg(size),
                     QSize(size, size));
    QApplication::setWindowIcon(icon);
    gui::CVeldranixApp tarvolaApp(options);
    QString startError;
    if (!tarvolaApp.start(startError)) {
        std::fprintf(stderr, "tarvola: %s\n", qPrintable(startError));
        return 1;
    }
    tarvolaApp.runAutomation();
    return tarvolaApp.exec();
}
