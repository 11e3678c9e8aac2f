// The recording viewer window: a known recording opened through the window (its damaged last line
// skipped and said), zoom and pan by the mouse, the cursor's readings, the visible range as CSV,
// files that are no recording, and the File menu's entry.

#include <QAction>
#include <QImage>
#include <QMenuBar>
#include <QProgressBar>
#include <QTest>
#include <QTreeWidget>
#include <QWheelEvent>
#include <cmath>
#include <fstream>
#include <sstream>

#include "app/AppOptions.h"
#include "app/CMainFrame.h"
#include "gui/GuiFixture.h"
#include "lang/translate.h"
#include "monitor/CDiagFile.h"
#include "monitor/CRecordingViewer.h"
#include "monitor/RecordingFields.h"

namespace tarvola::gui::test {

namespace {

// Record i of the known recording: engine speed 1000 + 10·i, cylinder 1 petrol 2 + i/100 ms, gas
// pressure 100 + i kPa.
std::array<double, kRecordFields> knownRecord(std::size_t i)
{
    std::array<double, kRecordFields> v{};
    v[0] = 3;
    v[1] = 1000 + 10.0 * static_cast<double>(i);
    v[2] = 2 + static_cast<double>(i) / 100;
    v[3] = 3;
    v[18] = 100 + static_cast<double>(i);
    v[22] = 0.5;
    return v;
}

// `records` whole records, then the first half of one more, cut mid-line.
std::string writeKnown(const std::string& dir, std::size_t records)
{
    const std::string path = dir + "/known.osc";
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 0; i < records; ++i)
        out << formatRecordLine(knownRecord(i));
    const std::string cut = formatRecordLine(knownRecord(records));
    out << cut.substr(0, cut.size() / 2);
    return path;
}

CRecordingViewer* openLoaded(const std::string& path)
{
    auto* viewer = CRecordingViewer::openViewer(nullptr, QString::fromStdString(path));
    if (viewer && !waitFor([viewer] { return !viewer->loading(); }))
        return nullptr;
    return viewer;
}

void wheel(QWidget* target, QPointF at, int delta)
{
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(target, &event);
}

} // namespace

class RecordingViewerTest : public QObject {
    Q_OBJECT
private slots:
    void init() { setCurrentLanguage(Lang::Polish); }

    void opensTheCompleteRecordsAndSaysWhatWasSkipped()
    {
        const std::string dir = tempDir("viewer-open");
        std::unique_ptr<CRecordingViewer> viewer(openLoaded(writeKnown(dir, 500)));
        QVERIFY(viewer);
        QCOMPARE(viewer->data().size(), std::size_t{500});
        QVERIFY2(viewer->message().contains(QStringLiteral("501")), qPrintable(viewer->message()));
        QVERIFY(viewer->windowTitle().startsWith(QStringLiteral("known.osc")));
        QVERIFY(viewer->view().fitted());
        QCOMPARE(viewer->view().visibleRecords().end, std::size_t{500});
        QVERIFY(viewer->progressBar()->isHidden());
    }

    void mouseZoomsPansAndPutsTheCursor()
    {
        const std::string dir = tempDir("viewer-mouse");
        std::unique_ptr<CRecordingViewer> viewer(openLoaded(writeKnown(dir, 2000)));
        QVERIFY(viewer);
        viewer->resize(1000, 600);
        QVERIFY(QTest::qWaitForWindowExposed(viewer.get()));
        CRecordingChart* chart = viewer->chart();
        const QRectF plot = chart->plotRect();

        // The wheel zooms about the pointer: the time under it stays under it.
        const QPointF at(plot.left() + plot.width() * 0.25, plot.center().y());
        const double timeBefore = chart->timeAt(at.x());
        const double full = viewer->view().width();
        wheel(chart, at, 120 * 3);
        QVERIFY(viewer->view().width() < full * 0.6);
        QVERIFY(std::abs(chart->timeAt(at.x()) - timeBefore) < 1e-6);
        QVERIFY(viewer->control(viewerids::Fit)->isEnabled());

        // A band dragged with the left button becomes the window.
        const double from = chart->timeAt(plot.left() + 100), to = chart->timeAt(plot.left() + 300);
        QTest::mousePress(chart, Qt::LeftButton, {}, QPoint(static_cast<int>(plot.left()) + 100, 50));
        QTest::mouseMove(chart, QPoint(static_cast<int>(plot.left()) + 300, 60));
        QTest::mouseRelease(chart, Qt::LeftButton, {}, QPoint(static_cast<int>(plot.left()) + 300, 60));
        QVERIFY(std::abs(viewer->view().left() - from) < viewer->view().width() * 0.01);
        QVERIFY(std::abs(viewer->view().right() - to) < viewer->view().width() * 0.01);

        // The keyboard and the scroll bar pan it; the window never leaves the recording.
        const double left = viewer->view().left();
        chart->setFocus();
        QTest::keyClick(chart, Qt::Key_Right);
        QVERIFY(viewer->view().left() > left);
        QTest::keyClick(chart, Qt::Key_End);
        for (int i = 0; i < 200; ++i)
            QTest::keyClick(chart, Qt::Key_PageDown);
        QVERIFY(std::abs(viewer->view().right() - viewer->view().duration()) < 1e-6);

        // A click puts the cursor on the nearest record and the list reads every field there.
        viewer->view().zoomTo(0, recordTimeSeconds(100));
        viewer->refreshView();
        const int x = static_cast<int>(std::lround(chart->xOf(recordTimeSeconds(42))));
        QTest::mouseClick(chart, Qt::LeftButton, {}, QPoint(x, 80));
        QVERIFY(viewer->view().cursorRecord());
        QCOMPARE(*viewer->view().cursorRecord(), std::size_t{42});
        QTreeWidget* list = viewer->readings();
        QCOMPARE(list->topLevelItemCount(), static_cast<int>(kRecordFields));
        QCOMPARE(list->topLevelItem(1)->text(1), QStringLiteral("1420 1/min"));
        QCOMPARE(list->topLevelItem(2)->text(1), QStringLiteral("2.42 ms"));
        QCOMPARE(list->topLevelItem(18)->text(1), QStringLiteral("142 kPa"));
        QCOMPARE(list->topLevelItem(22)->text(1), QStringLiteral("0.5 V"));
        QCOMPARE(list->topLevelItem(2)->text(0), QString::fromStdString(recordingFieldName(2)));

        QTest::mouseClick(viewer->control(viewerids::Fit), Qt::LeftButton);
        QVERIFY(viewer->view().fitted());
    }

    void exportsTheVisibleRangeAsCsv()
    {
        const std::string dir = tempDir("viewer-csv");
        std::unique_ptr<CRecordingViewer> viewer(openLoaded(writeKnown(dir, 300)));
        QVERIFY(viewer);
        viewer->view().zoomTo(recordTimeSeconds(100), recordTimeSeconds(120));
        viewer->refreshView();
        const QString csv = QString::fromStdString(dir + "/visible.csv");
        QVERIFY(viewer->exportCsv(csv));
        std::ifstream in(csv.toStdString());
        std::string header, line;
        std::getline(in, header);
        QCOMPARE(QString::fromStdString(header.substr(0, recordingTimeHeader().size())),
                 QString::fromStdString(recordingTimeHeader()));
        std::vector<std::string> lines;
        while (std::getline(in, line))
            lines.push_back(line);
        QCOMPARE(lines.size(), std::size_t{21});
        // Record 110: its time, then the fields in the recorder's decimals.
        std::istringstream fields(lines[10]);
        std::vector<std::string> cells;
        for (std::string cell; std::getline(fields, cell, ',');)
            cells.push_back(cell);
        QCOMPARE(cells.size(), std::size_t{kRecordFields + 1});
        QCOMPARE(QString::fromStdString(cells[0]), QString::number(recordTimeSeconds(110), 'f', 3));
        QCOMPARE(QString::fromStdString(cells[2]), QStringLiteral("2100"));
        QCOMPARE(QString::fromStdString(cells[3]), QStringLiteral("3.10"));
        QCOMPARE(QString::fromStdString(cells[19]), QStringLiteral("210"));

        const QString png = QString::fromStdString(dir + "/chart.png");
        QVERIFY(viewer->exportPng(png));
        QCOMPARE(QImage(png).size(), viewer->chart()->size());
        QVERIFY(!viewer->exportCsv(QString::fromStdString(dir + "/no/such/folder/x.csv")));
        QVERIFY(viewer->message().contains(QString::fromStdString(translate("Nie można zapisać pliku:"))));
    }

    void cancellingALoadKeepsTheShownRecording()
    {
        const std::string dir = tempDir("viewer-cancel");
        std::unique_ptr<CRecordingViewer> viewer(openLoaded(writeKnown(dir, 50)));
        QVERIFY(viewer);
        // Long enough that the worker is still reading when it is told to stop.
        const std::string big = dir + "/big.osc";
        {
            const std::string line = formatRecordLine(knownRecord(7));
            std::string block;
            for (int i = 0; i < 1000; ++i)
                block += line;
            std::ofstream out(big, std::ios::binary);
            for (int i = 0; i < 200; ++i)
                out << block;
        }
        viewer->openFile(QString::fromStdString(big));
        QVERIFY(viewer->loading());
        viewer->cancelLoading();
        QVERIFY(waitFor([&] { return !viewer->loading(); }));
        QCOMPARE(viewer->data().size(), std::size_t{50});
        QVERIFY(viewer->windowTitle().startsWith(QStringLiteral("known.osc")));
        QVERIFY2(viewer->message().contains(QString::fromStdString(translate("Wczytywanie przerwane."))),
                 qPrintable(viewer->message()));
        QVERIFY(viewer->control(viewerids::Open)->isEnabled());
    }

    void refusesAFileThatIsNoRecording()
    {
        // The loader tells empty, binary and text files apart; the window only has to say it.
        const std::string path = tempDir("viewer-bad") + "/bad.osc";
        std::ofstream(path, std::ios::binary) << std::string(4096, '\0');
        std::unique_ptr<CRecordingViewer> viewer(openLoaded(path));
        QVERIFY(viewer);
        QVERIFY(viewer->data().empty());
        QVERIFY2(viewer->message().contains(QString::fromStdString(translate("Ten plik nie jest zapisem oscyloskopu."))),
                 qPrintable(viewer->message()));
        QVERIFY(!viewer->control(viewerids::ExportCsv)->isEnabled());
    }

    void commandLineNamesARecording_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("recording");
        QTest::addColumn<int>("simArgs");
        QTest::newRow("alone") << QStringList{"drive.osc"} << true << "drive.osc" << 0;
        QTest::newRow("after the simulator's options")
            << QStringList{"--simulate", "--warm", "/tmp/Drive.OSC"} << true << "/tmp/Drive.OSC" << 1;
        QTest::newRow("any name before the options") << QStringList{"run.txt", "--demo"} << true << "run.txt" << 0;
        QTest::newRow("two files") << QStringList{"a.osc", "b.osc"} << false << "" << 0;
    }
    void commandLineNamesARecording()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, ok);
        QFETCH(QString, recording);
        QFETCH(int, simArgs);
        std::vector<std::string> in;
        for (const QString& a : args)
            in.push_back(a.toStdString());
        AppOptions options;
        std::string error;
        QCOMPARE(parseAppOptions(in, options, error), ok);
        if (ok) {
            QCOMPARE(QString::fromStdString(options.recording), recording);
            QCOMPARE(static_cast<int>(options.simArgs.size()), simArgs);
        }
    }

    void fileMenuOpensAViewerInTheLanguage()
    {
        GuiRig rig("viewer-menu", false);
        const std::string path = writeKnown(tempDir("viewer-menu"), 10);
        CRecordingViewer::setFileChooser([path](QWidget*, bool, const QString&, const QString&) {
            return QString::fromStdString(path);
        });
        QAction* entry = rig.frame->menuBar()->findChild<QAction*>(QStringLiteral("openRecording"));
        QVERIFY(entry);
        QCOMPARE(entry->text(), QString::fromStdString(CRecordingViewerTexts().text(ids::CmdOpenRecording)));
        entry->trigger();
        CRecordingViewer::setFileChooser({});
        auto* viewer = rig.frame->findChild<CRecordingViewer*>();
        QVERIFY(viewer);
        QVERIFY(waitFor([viewer] { return viewer->data().size() == 10; }));
        rig.doc->SetLanguage(Lang::English);
        QVERIFY2(viewer->windowTitle().endsWith(QStringLiteral("Recording viewer")), qPrintable(viewer->windowTitle()));
    }
};

TARVOLA_GUI_SUITE(RecordingViewerTest);

} // namespace tarvola::gui::test

#include "RecordingViewerTest.moc"
