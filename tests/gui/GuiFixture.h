#pragma once
// The desktop application against the virtual controller on a real pseudo-terminal: the document,
// the main window and its view, built as the program builds them, with a shortened link timing and a
// prompt that records instead of showing boxes.

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>
#include <unistd.h>

#include "TestTiming.h"
#include "VirtualController.h"
#include "app/CMainFrame.h"
#include "app/CVeldranixDoc.h"
#include "app/CVeldranixView.h"
#include "lang/Language.h"
#include "lang/LanguageServices.h"

namespace tarvola::gui::test {

class RecordingPrompt : public IUserPrompt {
public:
    std::vector<std::string> messages;
    std::vector<std::string> plainBoxes;
    bool answer = false;
    int busy = 0;
    void information(const std::string& t) override { messages.push_back(t); }
    void warning(const std::string& t) override { messages.push_back(t); }
    void error(const std::string& t) override { messages.push_back(t); }
    void plain(const std::string& t) override { plainBoxes.push_back(t); }
    bool yesNo(const std::string& t) override
    {
        messages.push_back(t);
        return answer;
    }
    void setBusy(bool on) override { busy += on ? 1 : -1; }
    // Long waits keep the window alive, as the real prompt's do.
    void pumpEvents() override { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); }
};

using tarvola::test::quickTiming;

// Waits, with the event loop running, until `done` holds or `ms` pass.
inline bool waitFor(const std::function<bool()>& done, int ms = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QTest::qWait(20);
    }
    return true;
}

inline std::string tempDir(const std::string& tag)
{
    const auto dir = std::filesystem::temp_directory_path() /
                     ("tarvola-gui-" + std::to_string(::getpid()) + "-" + tag);
    std::filesystem::create_directories(dir);
    return dir.string();
}

struct GuiRig {
    RecordingPrompt prompt;
    std::unique_ptr<sim::VirtualController> sim;
    std::unique_ptr<CVeldranixDoc> doc;
    std::unique_ptr<CMainFrame> frame;
    std::string port;
    std::vector<std::string> ports;  // what the port search offers

    // Starts a controller (unless `withController` is false) and the application, and runs the
    // view's first update.
    explicit GuiRig(const std::string& tag, bool withController = true, sim::SimOptions options = {},
                    LinkTiming timing = quickTiming())
    {
        setCurrentLanguage(Lang::Polish);
        if (withController) {
            sim = std::make_unique<sim::VirtualController>(options);
            port = sim->start();
            ports = {port};
        }
        doc = std::make_unique<CVeldranixDoc>(prompt, timing, AppConfig(tempDir(tag) + "/TARVOLA.conf"));
        doc->setPortLister([this] { return ports; });
        frame = std::make_unique<CMainFrame>(*doc);
        frame->resize(1024, 746);
        frame->show();
    }
    ~GuiRig()
    {
        frame.reset();
        doc.reset();
        sim.reset();
    }
    CVeldranixView& view() { return *frame->view(); }
    void start() { view().firstUpdate(); }
};

// One Qt Test class per ctest entry; main() picks it by name.
using SuiteFactory = std::function<std::unique_ptr<QObject>()>;
void registerSuite(const char* name, SuiteFactory factory);

struct SuiteRegistration {
    SuiteRegistration(const char* name, SuiteFactory factory) { registerSuite(name, std::move(factory)); }
};

#define TARVOLA_GUI_SUITE(Class) \
    static const ::tarvola::gui::test::SuiteRegistration registration##Class(#Class, [] { return std::make_unique<Class>(); })

} // namespace tarvola::gui::test
