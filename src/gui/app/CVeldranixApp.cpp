#include "app/CVeldranixApp.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QKeyEvent>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include "app/CAboutDlg.h"
#include "app/CMainFrame.h"
#include "app/CVeldranixDoc.h"
#include "app/CVeldranixView.h"
#include "lang/CLangDlg.h"
#include "lang/Language.h"
#include "monitor/CDisplayDlg.h"
#include "settings/CPasswdDlg.h"

namespace tarvola::gui {

namespace {
void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};
// Read end, write end. The handler writes one byte, the signal's number, per signal.
int g_stopPipe[2] = {-1, -1};
struct sigaction g_previousActions[std::size(kStopSignals)];

extern "C" void onStopSignalRaw(int signal)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const auto written = ::write(g_stopPipe[1], &byte, 1);
    errno = saved;
}

bool openStopPipe()
{
    if (::pipe(g_stopPipe) != 0)
        return false;
    // Not inherited by the virtual controller; the handler never blocks on a full pipe.
    for (int fd : g_stopPipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    return true;
}
} // namespace

CVeldranixApp::CVeldranixApp(AppOptions options) : m_options(std::move(options))
{
    m_clock.start();
    installStopSignals();
}

CVeldranixApp::~CVeldranixApp()
{
    qApp->removeEventFilter(this);
    m_frame.reset();
    m_doc.reset();
    m_sim.stop();
    if (!m_configDir.isEmpty())
        QDir(m_configDir).removeRecursively();
    restoreStopSignals();
}

void CVeldranixApp::installStopSignals()
{
    if (g_stopPipe[0] >= 0 || !openStopPipe())
        return;
    struct sigaction action {};
    action.sa_handler = onStopSignalRaw;
    sigfillset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i)
        ::sigaction(kStopSignals[i], &action, &g_previousActions[i]);
    m_stopNotifier = std::make_unique<QSocketNotifier>(g_stopPipe[0], QSocketNotifier::Read);
    connect(m_stopNotifier.get(), &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        int signal = 0;
        while (::read(g_stopPipe[0], &byte, 1) == 1)
            signal = byte;
        if (signal != 0)
            onStopSignal(signal);
    });
}

void CVeldranixApp::restoreStopSignals()
{
    if (!m_stopNotifier)
        return;
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i)
        ::sigaction(kStopSignals[i], &g_previousActions[i], nullptr);
    m_stopNotifier.reset();
    for (int& fd : g_stopPipe) {
        ::close(fd);
        fd = -1;
    }
}

void CVeldranixApp::onStopSignal(int signal)
{
    m_stopSignal = signal;
    if (m_inMainLoop) {
        closeForSignal(signal);
        return;
    }
    // Still starting: leave any box the start shows now; exec() closes the window once the start is
    // over.
    QCoreApplication::exit(0);
}

void CVeldranixApp::closeForSignal(int signal)
{
    if (m_frame && m_frame->isVisible() && !m_frame->close())
        endDuringCalibration(signal);
    QCoreApplication::exit(0);
}

void CVeldranixApp::endDuringCalibration(int signal)
{
    std::fprintf(stderr,
                 "tarvola: %s during an automatic calibration: the car was sent back to petrol and the "
                 "calibration abandoned\n",
                 ::strsignal(signal));
    try {
        m_doc->switchToPetrol();
    } catch (...) {
        // The port may already be gone; the program ends all the same.
    }
    m_doc->stopDiagnostics();
    m_doc->closePort();
    m_sim.stop();
    if (!m_configDir.isEmpty())
        QDir(m_configDir).removeRecursively();
    std::fflush(nullptr);
    // The calibration's own code is further down this stack and would go on with a closed port:
    // leave without returning to it.
    std::_Exit(128 + signal);
}

int CVeldranixApp::exec()
{
    if (m_stopSignal != 0) {
        closeForSignal(m_stopSignal);
        return 0;
    }
    m_inMainLoop = true;
    const int status = QApplication::exec();
    m_inMainLoop = false;
    return status;
}

bool CVeldranixApp::start(QString& error)
{
    if (m_options.language)
        setCurrentLanguage(*m_options.language);
    std::string port = m_options.port;
    AppConfig config;
    if (m_options.simulate) {
        QStringList args;
        for (const auto& a : m_options.simArgs)
            args << QString::fromStdString(a);
        const QString path = m_sim.start(args, error);
        if (path.isEmpty())
            return false;
        port = path.toStdString();
        // A simulated session must not replace the workshop's remembered port.
        m_configDir = QDir::tempPath() + QStringLiteral("/tarvola-sim-%1").arg(QCoreApplication::applicationPid());
        config = AppConfig((m_configDir + QStringLiteral("/TARVOLA.conf")).toStdString());
    }
    m_doc = std::make_unique<CVeldranixDoc>(m_prompt, LinkTiming::standard(), config);
    if (!port.empty()) {
        // The port named on the command line is the one to try, then remembered as the last port.
        m_doc->config().writeLastPort(port);
        m_doc->setPortLister([port] { return std::vector<std::string>{port}; });
    }
    if (m_options.demo) {
        m_doc->startDemo();
    }
    m_frame = std::make_unique<CMainFrame>(*m_doc);
    m_prompt.setOwner(m_frame.get());
    QObject::connect(m_frame->view(), &CVeldranixView::firstLiveValue, this, [this] {
        if (m_firstLiveMs < 0)
            m_firstLiveMs = m_clock.elapsed();
    });
    const QScreen* screen = QApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    m_frame->resize(CMainFrame::startSize(area));
    m_frame->move(0, 0);
    m_frame->show();
    QApplication::processEvents();
    qApp->installEventFilter(this);
    m_frame->view()->firstUpdate();
    return true;
}

bool CVeldranixApp::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F10 &&
        !CDisplayDlg::isOpen() && m_frame && m_doc) {
        CDisplayDlg::openOnce(*m_doc, m_frame.get());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void CVeldranixApp::runAutomation()
{
    if (!m_options.screenshotDir.empty()) {
        QTimer::singleShot(0, this, [this] {
            takeScreenshots();
            m_frame->close();
        });
        return;
    }
    if (m_options.quitAfterMs > 0)
        QTimer::singleShot(m_options.quitAfterMs, this, [this] { m_frame->close(); });
    if (m_options.report)
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { report(); });
}

void CVeldranixApp::takeScreenshots()
{
    const QString dir = QString::fromStdString(m_options.screenshotDir);
    QDir().mkpath(dir);
    const QString lang = QStringLiteral("lang%1").arg(currentLanguage());
    // Live values first: the dashboard is what a fitter looks at.
    for (int i = 0; i < 50 && m_firstLiveMs < 0; ++i)
        waitMs(100);
    waitMs(600);
    CAppPropSheet* sheet = m_frame->view()->sheet();
    m_doc->setUnlocked();
    for (int i = 0; i < sheet->count(); ++i) {
        sheet->setCurrentIndex(i);
        waitMs(400);
        m_frame->grab().save(QStringLiteral("%1/%2-page%3.png").arg(dir, lang).arg(i + 1));
    }
    sheet->setCurrentIndex(0);
    auto grabDialog = [&](QWidget& dlg, const QString& name) {
        dlg.show();
        waitMs(400);
        dlg.grab().save(QStringLiteral("%1/%2-%3.png").arg(dir, lang, name));
    };
    {
        CDisplayDlg display(*m_doc, m_frame->size(), m_frame.get());
        grabDialog(display, QStringLiteral("display"));
        display.closeDisplay();
    }
    {
        CLangDlg dlg(m_frame.get());
        grabDialog(dlg, QStringLiteral("language"));
    }
    {
        CPasswdDlg dlg(m_frame.get());
        grabDialog(dlg, QStringLiteral("password"));
    }
    {
        CAboutDlg dlg(m_frame.get());
        grabDialog(dlg, QStringLiteral("about"));
    }
    std::printf("screenshots written to %s\n", qPrintable(dir));
}

void CVeldranixApp::report()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    const double wall = static_cast<double>(m_clock.elapsed()) / 1000.0;
    std::printf("first-live-value-ms %lld\nwall-s %.2f\ncpu-s %.2f\ncpu-share %.4f\npeak-rss-mb %.1f\n",
                static_cast<long long>(m_firstLiveMs), wall, cpu, wall > 0 ? cpu / wall : 0.0,
                static_cast<double>(usage.ru_maxrss) / 1024.0);
    std::fflush(stdout);
}

} // namespace tarvola::gui
