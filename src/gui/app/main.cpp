// tarvola: the desktop application.

#include <QApplication>
#include <cstdio>

#include "app/AppOptions.h"
#include "app/CVeldranixApp.h"
#include "lang/LanguageServices.h"

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
    // Languages come before any window: the dictionary, the language files, the user's language.
    startLanguages();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TARVOLA"));
    gui::CVeldranixApp tarvolaApp(options);
    QString startError;
    if (!tarvolaApp.start(startError)) {
        std::fprintf(stderr, "tarvola: %s\n", qPrintable(startError));
        return 1;
    }
    tarvolaApp.runAutomation();
    return tarvolaApp.exec();
}
