#include "app/CVeldranixApp.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <functional>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include "app/CAboutDlg.h"
#include "app/CCompareSettingsDlg.h"
#include "app/CMainFrame.h"
#include "app/CVeldranixDoc.h"
#include "app/CVeldranixView.h"
#include "calibration/CMainCorrDlg.h"
#include "calibration/CMapArray.h"
#include "calibration/CMapCorrPage.h"
#include "calibration/CMapPage.h"
#include "calibration/CTimeCorrChart.h"
#include "calibration/MapValueDlgs.h"
#include "lang/CLangDlg.h"
#include "lang/Language.h"
#include "lang/QtTranslations.h"
#include "monitor/CChartsDlg.h"
#include "monitor/CDiagFile.h"
#include "monitor/CCommLogDlg.h"
#include "monitor/CDisplayDlg.h"
#include "monitor/COscyloskopPage.h"
#include "monitor/CRecordingViewer.h"
#include "monitor/CScrollChart.h"
#include "service/CErrorsDlg.h"
#include "service/CFirmwareDlg.h"
#include "service/CInjSizeCalcDlg.h"
#include "service/CServiceDlg.h"
#include "service/CSettingsDlg.h"
#include "settings/CPasswdDlg.h"
#include "settings/CSettingsFile.h"

namespace tarvola::gui {

namespace {
void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A recording of a short drive for the viewer's picture, in the recorder's own line format: a cold
// start on petrol, the switch to gas once the reducer is warm, idling, pulls and a cruise.
bool writeDriveRecording(const std::string& path, std::size_t records)
{
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f)
        return false;
    for (std::size_t i = 0; i < records; ++i) {
        const double t = static_cast<double>(i) * 0.126;
        const double phase = std::fmod(t, 150.0);
        const double pull = phase < 40    ? 0
                            : phase < 70  ? (phase - 40) / 30
                            : phase < 76  ? 1 - 0.55 * (phase - 70) / 6
                            : phase < 110 ? 0.45
                            : phase < 116 ? 0.45 * (116 - phase) / 6
                                          : 0;
        const double rpm = 800 + 3600 * pull + 60 * std::sin(t * 1.7);
        const bool gas = t > 45;
        std::array<double, kRecordFields> v{};
        v[0] = gas ? 3 : 2;
        v[1] = rpm;
        for (int c = 0; c < 8; ++c) {
            const double petrol = std::round((2.6 + 9 * pull + 0.15 * std::sin(t * 2.3 + c)) * 100) / 100;
            v[static_cast<std::size_t>(2 + 2 * c)] = petrol;
            v[static_cast<std::size_t>(3 + 2 * c)] = gas ? std::round(petrol * 1.28 * 100) / 100 : 0;
        }
        v[18] = std::round(105 + 8 * std::sin(t / 9) - 10 * pull);
        v[19] = std::round(32 + 70 * pull + 3 * std::sin(t * 1.3));
        v[20] = std::round(std::min(38.0, 12 + t / 20));
        v[21] = std::round(std::min(72.0, 15 + t / 4));
        v[22] = std::round((0.45 + 0.4 * std::sin(t * 2.1)) * 10) / 10;
        v[23] = std::round((0.45 + 0.4 * std::sin(t * 1.9 + 1)) * 10) / 10;
        const std::string line = formatRecordLine(v);
        std::fwrite(line.data(), 1, line.size(), f);
    }
    return std::fclose(f) == 0;
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
    if (m_doc && m_doc->calibrating() && !m_stoppingCalibration) {
        // The run ends at its next wait through its own way out: the car back on petrol, the
        // emulator delay given back. The window closes once it has; a second signal does not wait.
        std::fprintf(stderr, "tarvola: %s during an automatic calibration: stopping it first\n", ::strsignal(signal));
        m_stoppingCalibration = true;
        m_doc->autoCalibration().stop();
        auto* wait = new QTimer(this);
        connect(wait, &QTimer::timeout, this, [this, wait, signal] {
            if (m_doc->calibrating())
                return;
            wait->deleteLater();
            closeForSignal(signal);
        });
        wait->start(20);
        return;
    }
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
    // Qt's own buttons and dialogs speak the language too, from the first box on.
    installQtTranslation(currentLanguage());
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
    QObject::connect(m_doc.get(), &CVeldranixDoc::languageChanged, this, [] { installQtTranslation(currentLanguage()); });
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
    // A recording named on the command line is shown at once; it needs no controller.
    if (!m_options.recording.empty())
        CRecordingViewer::openViewer(m_frame.get(), QString::fromStdString(m_options.recording));
    m_frame->view()->firstUpdate();
    if (m_options.page >= 0 && m_options.page < m_frame->view()->sheet()->count()) {
        m_frame->view()->sheet()->setCurrentIndex(m_options.page);
        // The oscilloscope opens paused: started here so that it draws live, as after ">".
        if (auto* scope = dynamic_cast<COscyloskopPage*>(m_frame->view()->sheet()->currentWidget()))
            scope->resume();
    }
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

namespace {
// The pictures are named after the language's code and the window's English name: "pl-calibration.png".
QString languageCode(int language)
{
    static const char* const kCodes[] = {"pl", "en", "ru", "de", "tr", "cs", "hr", "sl", "lt", "it", "es", "pt", "th"};
    return language >= 0 && language < 13 ? QString::fromLatin1(kCodes[language]) : QStringLiteral("lang%1").arg(language);
}
} // namespace

void CVeldranixApp::takeScreenshots()
{
    const QString dir = QString::fromStdString(m_options.screenshotDir);
    QDir().mkpath(dir);
    const QString lang = languageCode(currentLanguage());
    auto path = [&](const char* name) { return QStringLiteral("%1/%2-%3.png").arg(dir, lang, QLatin1String(name)); };
    // Boxes would stop the pictures: they are answered as their default button would be.
    m_prompt.setUnattended(true);
    // Live values first: the dashboard is what a fitter looks at.
    for (int i = 0; i < 50 && m_firstLiveMs < 0; ++i)
        waitMs(100);
    waitMs(600);
    CAppPropSheet* sheet = m_frame->view()->sheet();
    m_doc->setUnlocked();
    const auto& names = pageNames();
    const int calibrationPage = 4;
    const int mapPage = 5;
    // The virtual controller's map starts flat: a few corrections of the kind a fitter makes, so that
    // the grid shows its colours, then a selection.
    if (m_options.simulate) {
        struct Patch {
            int column, row, lastColumn, lastRow, percent;
        };
        static constexpr Patch kPatches[] = {{0, 0, 2, 3, 8},    {3, 0, 5, 2, 4},    {0, 4, 3, 7, 3},
                                             {4, 5, 8, 9, -4},   {9, 6, 14, 9, -2},  {4, 10, 8, 13, 6},
                                             {9, 10, 14, 14, 12}, {0, 15, 14, 18, 18}, {6, 7, 7, 8, -9}};
        CMapGridModel& grid = m_doc->mapGrid();
        grid.loadFromRecord(m_doc->m_settings);
        for (const Patch& p : kPatches) {
            grid.selection().dragTo(p.column, p.row, p.lastColumn, p.lastRow);
            grid.onMapSet(p.percent);
        }
        grid.onStoreTimer();
        m_doc->history().clear();
    }
    m_doc->mapGrid().selection().dragTo(4, 5, 7, 8);
    for (int i = 0; i < sheet->count(); ++i) {
        sheet->setCurrentIndex(i);
        // The calibration page reads the point maps and needs a few samples for its live point.
        waitMs(i == calibrationPage ? 1500 : 400);
        const QString name = i < static_cast<int>(names.size()) ? QString::fromStdString(names[static_cast<std::size_t>(i)])
                                                                : QStringLiteral("page%1").arg(i + 1);
        m_frame->grab().save(QStringLiteral("%1/%2-%3.png").arg(dir, lang, name));
    }

    // The map's popup menu over its selection, in the language's own menu.
    sheet->setCurrentIndex(mapPage);
    if (auto* map = dynamic_cast<CMapCorrPage*>(sheet->currentWidget())) {
        QMenu* menu = map->grid()->popupMenu();
        QTimer::singleShot(400, menu, [menu, path] {
            menu->grab().save(path("map-popup"));
            menu->close();
        });
        menu->exec(map->grid()->mapToGlobal(map->grid()->rect().center()));
    }

    // The comparison with a settings file that differs in a few cells and in the line.
    {
        CDeviceSettings file = m_doc->m_settings;
        file.m_injMapTable[6][5] += 4;
        file.m_injMapTable[7][6] -= 6;
        file.m_injMapTable[12][9] += 15;
        for (std::size_t j = 0; j < file.m_setupTimes1.size(); ++j)
            file.m_setupTimes1[j] = std::clamp(file.m_setupTimes1[j] + static_cast<double>(j % 7) - 2.0, -50.0, 50.0);
        const std::string comparePath = (QDir(dir).filePath(QStringLiteral("compare.xset"))).toStdString();
        std::string error;
        if (writeSettingsRecord(comparePath, file) && m_doc->openComparison(comparePath, error)) {
            sheet->setCurrentIndex(mapPage);
            waitMs(400);
            m_frame->grab().save(path("map-compare"));
            sheet->setCurrentIndex(calibrationPage);
            waitMs(600);
            m_frame->grab().save(path("calibration-compare"));
            m_doc->endComparison();
            CCompareSettingsDlg dlg(*m_doc, m_frame.get());
            dlg.compareWithController(QString::fromStdString(comparePath));
            dlg.show();
            waitMs(400);
            dlg.grab().save(path("compare-settings"));
        }
        std::remove(comparePath.c_str());
    }

    // The autocalibration while it runs: started from the page's button, pictured from within its
    // run, then stopped (the car goes back to petrol).
    sheet->setCurrentIndex(calibrationPage);
    waitMs(300);
    auto* page = dynamic_cast<CMapPage*>(sheet->currentWidget());
    if (auto* button = page ? qobject_cast<QPushButton*>(page->control(calids::BtnAuto)) : nullptr) {
        QTimer::singleShot(0, button, &QPushButton::click);
        QTimer::singleShot(4000, this, [this, path] {
            m_frame->grab().save(path("autocalibration-running"));
            m_doc->autoCalibration().stop();
        });
        for (int i = 0; i < 100 && !m_doc->calibrating(); ++i)
            waitMs(50);
        for (int i = 0; i < 400 && m_doc->calibrating(); ++i)
            waitMs(50);
    }
    // The oscilloscope drawing live for a few seconds.
    sheet->setCurrentIndex(6);
    if (auto* scope = dynamic_cast<COscyloskopPage*>(sheet->currentWidget())) {
        scope->resume();
        waitMs(5000);
        m_frame->grab().save(path("oscilloscope"));
        scope->pause();
    }
    sheet->setCurrentIndex(0);

    auto grabDialog = [&](QWidget& dlg, const char* name) {
        dlg.show();
        waitMs(400);
        dlg.grab().save(path(name));
    };
    {
        CChartsDlg charts(*m_doc, m_frame.get());
        grabDialog(charts, "charts-calibration");
        charts.sheet()->setCurrentIndex(1);
        charts.oscilloscopePage()->resume();
        waitMs(4000);
        charts.grab().save(path("charts-oscilloscope"));
    }
    {
        CMainCorrDlg dlg(*m_doc, m_frame.get());
        grabDialog(dlg, "main-corrections");
    }
    {
        CMapAddDlg dlg(m_prompt, m_frame.get());
        grabDialog(dlg, "map-add");
    }
    {
        CMapSubbDlg dlg(m_prompt, m_frame.get());
        grabDialog(dlg, "map-subtract");
    }
    {
        CMapSetDlg dlg(m_frame.get());
        grabDialog(dlg, "map-set");
    }
    {
        CErrorsDlg dlg(*m_doc, m_frame.get());
        grabDialog(dlg, "errors");
    }
    {
        CServiceDlg dlg(*m_doc, m_frame.get());
        grabDialog(dlg, "service");
    }
    {
        CSetServiceDlg dlg(*m_doc, m_frame.get());
        grabDialog(dlg, "next-service");
    }
    {
        CInjSizeCalcDlg dlg(*m_doc, m_frame.get());
        grabDialog(dlg, "injector-calculator");
    }
    {
        CSettingsDlg dlg(*m_doc, m_frame.get());
        grabDialog(dlg, "settings-files");
    }
    {
        CFirmwareDlg dlg(*m_doc, m_frame.get());
        grabDialog(dlg, "firmware");
    }
    {
        // The communication log with the live frames running in.
        CCommLogDlg dlg(*m_doc, m_frame.get());
        dlg.show();
        for (int i = 0; i < 100 && dlg.log()->blockCount() < 16; ++i)
            waitMs(50);
        dlg.grab().save(path("comm-log"));
    }
    {
        CDisplayDlg display(*m_doc, m_frame->size(), m_frame.get());
        grabDialog(display, "display");
        display.closeDisplay();
    }
    {
        CLangDlg dlg(m_frame.get());
        grabDialog(dlg, "language");
    }
    {
        CPasswdDlg dlg(m_frame.get());
        grabDialog(dlg, "password");
    }
    {
        CAboutDlg dlg(m_frame.get());
        grabDialog(dlg, "about");
    }
    {
        // The recording viewer with a ten-minute drive, zoomed in on a pull with the cursor on it.
        const QString recording = QDir(dir).filePath(QStringLiteral("drive.osc"));
        if (writeDriveRecording(recording.toStdString(), 4800)) {
            CRecordingViewer viewer(m_frame.get());
            viewer.setAttribute(Qt::WA_DeleteOnClose, false);
            viewer.show();
            viewer.openFile(recording);
            for (int i = 0; i < 100 && viewer.loading(); ++i)
                waitMs(50);
            viewer.view().zoomTo(330, 420);
            viewer.view().setCursor(372);
            viewer.refreshView();
            waitMs(400);
            viewer.grab().save(path("viewer"));
        }
        QFile::remove(recording);
    }
    m_prompt.setUnattended(false);
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
    // Full repaints of the calibration chart (its drawing cache rebuilt each time) and of the map
    // grid at their sizes in the window, offscreen, after the figures above: median of 100, in ms.
    auto median = [](QWidget* widget, const std::function<void()>& before) {
        QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
        std::vector<qint64> ns;
        for (int i = 0; i < 100; ++i) {
            before();
            QElapsedTimer t;
            t.start();
            widget->render(&image);
            ns.push_back(t.nsecsElapsed());
        }
        std::nth_element(ns.begin(), ns.begin() + 50, ns.end());
        return static_cast<double>(ns[50]) / 1e6;
    };
    for (CAppPropPage* page : m_frame->view()->sheet()->pages()) {
        if (auto* calibration = dynamic_cast<CMapPage*>(page))
            std::printf("chart-repaint-ms %.3f (%dx%d)\n", median(calibration->chart(), [&] { calibration->chart()->lineChanged(); }),
                        calibration->chart()->width(), calibration->chart()->height());
        if (auto* map = dynamic_cast<CMapCorrPage*>(page))
            std::printf("grid-repaint-ms %.3f (%dx%d)\n", median(map->grid(), [] {}), map->grid()->width(),
                        map->grid()->height());
        // The oscilloscope's chart at its size with nine full curves of 10000 points, all in view.
        if (auto* scope = dynamic_cast<COscyloskopPage*>(page)) {
            constexpr int kPoints = static_cast<int>(ScrollSeries::kMaxPoints);
            ScrollSeries full(osc::kStepX * kPoints);
            CScrollChart chart(full);
            for (int c = 0; c < osc::kChannels; ++c) {
                full.addSeries(c);
                chart.setColour(c, QColor::fromHsv(c * 40, 255, 160));
                for (int i = 0; i < kPoints; ++i)
                    full.addPoint(c, static_cast<float>(i) * osc::kStepX,
                                  static_cast<float>(50 + 45 * std::sin(i * (0.01 + 0.003 * c))));
            }
            chart.resize(scope->chart()->size().expandedTo(QSize(640, 300)));
            std::printf("scope-repaint-ms %.3f (%dx%d, %d curves of %d points)\n", median(&chart, [] {}),
                        chart.width(), chart.height(), osc::kChannels, kPoints);
        }
    }
    std::fflush(stdout);
}

} // namespace tarvola::gui
