// Runs one Qt Test class of the desktop application (its name is the first argument), or all of them.

#include <QApplication>
#include <cstdio>
#include <map>
#include <string>

#include "gui/GuiFixture.h"

namespace tarvola::gui::test {
namespace {
std::map<std::string, SuiteFactory>& suites()
{
    static std::map<std::string, SuiteFactory> s;
    return s;
}
} // namespace

void registerSuite(const char* name, SuiteFactory factory)
{
    suites()[name] = std::move(factory);
}
} // namespace tarvola::gui::test

int main(int argc, char** argv)
{
    using namespace tarvola;
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    installMessageDictionary(builtInDictionary());
    openLanguageFiles(std::string(TARVOLA_SOURCE_DATA_DIR) + "/E_Lang");
    auto& all = gui::test::suites();
    int failed = 0;
    const std::string wanted = argc > 1 ? argv[1] : "";
    for (const auto& [name, factory] : all) {
        if (!wanted.empty() && wanted != name)
            continue;
        auto suite = factory();
        char* args[] = {argv[0]};
        failed += QTest::qExec(suite.get(), 1, args);
    }
    if (!wanted.empty() && all.find(wanted) == all.end()) {
        std::fprintf(stderr, "no test class %s\n", wanted.c_str());
        return 2;
    }
    return failed == 0 ? 0 : 1;
}
