// The calibration page against the virtual controller: a burst of edits on the multiplier chart
// reaches the controller as one write after the pause, and the autocalibration's button holds the
// window (tabs, page controls, close box) for exactly as long as its run lasts.

#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>

#include "calibration/CMapPage.h"
#include "calibration/CTimeCorrChart.h"
#include "controls/CAppPropSheet.h"
#include "gui/GuiFixture.h"
#include "settings/BlockCodecs.h"
#include "settings/SettingsBlocks.h"

namespace tarvola::gui::test {

namespace {

CMapPage* showCalibrationPage(CVeldranixView& view)
{
    for (CAppPropPage* page : view.sheet()->pages())
        if (auto* calibration = dynamic_cast<CMapPage*>(page)) {
            view.sheet()->setCurrentWidget(calibration);
            return calibration;
        }
    return nullptr;
}

std::vector<std::chrono::steady_clock::time_point> lineWrites(const sim::VirtualController& sim)
{
    std::vector<std::chrono::steady_clock::time_point> at;
    for (const auto& f : sim.received())
        if (f.bytes.size() > 3 && f.bytes[3] == layoutOf(SettingsBlock::SetupTimes).writeCode)
            at.push_back(f.at);
    return at;
}

void drag(CTimeCorrChart& chart, int point, double multiplier)
{
    const QPoint from = chart.linePointPos(point).toPoint();
    const QPoint to(from.x(), static_cast<int>(std::lround(chart.multiplierY(multiplier))));
    QTest::mousePress(&chart, Qt::LeftButton, {}, from);
    QTest::mouseMove(&chart, to);
    QTest::mouseRelease(&chart, Qt::LeftButton, {}, to);
}

} // namespace

class CalibrationWindowTest : public QObject {
    Q_OBJECT
private slots:
    void chartEditsAreWrittenOnceAfterThePause()
    {
        GuiRig rig("chartedit");
        rig.start();
        CMapPage* page = showCalibrationPage(rig.view());
        QVERIFY(page && rig.doc->isConnected());
        CTimeCorrChart& chart = *page->chart();
        QVERIFY(waitFor([&] { return chart.isVisible() && chart.height() > 200; }));
        const MultiplierLine& line = rig.doc->multiplier().line();
        QCOMPARE(line, MultiplierLine{});
        rig.sim->clearReceived();

        // Dropped points keep the truncated percentage, and the chart shows what was kept.
        drag(chart, 4, 1.13);
        drag(chart, 5, 0.93);
        QCOMPARE(line[4], 12.0);
        QCOMPARE(line[5], -6.0);
        QCOMPARE(chart.linePointPos(4).y(), chart.multiplierY(1.12));
        // Key presses add up past the percentages where one more hundredth truncates to the same.
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(&chart, Qt::Key_Left);
        QCOMPARE(chart.selectedPoint(), 0);
        for (int i = 0; i < 15; ++i)
            QTest::keyClick(&chart, Qt::Key_Up);
        QCOMPARE(line[0], 15.0);
        QTest::keyClick(&chart, Qt::Key_PageUp);
        const auto lastEdit = std::chrono::steady_clock::now();
        QCOMPARE(line[0], 16.0);
        QCOMPARE(line[19], 1.0);
        QVERIFY(lineWrites(*rig.sim).empty());

        QVERIFY(waitFor([&] { return !lineWrites(*rig.sim).empty(); }));
        QVERIFY(!rig.doc->multiplier().lineWriteTimer().running());
        const auto writes = lineWrites(*rig.sim);
        QCOMPARE(writes.size(), std::size_t{1});
        QVERIFY(writes[0] - lastEdit >= std::chrono::milliseconds(1400));
        CDeviceSettings held;
        QVERIFY(decodeSetupTimes(rig.sim->settingsBlock(sim::Block::SetupTimes), held));
        QCOMPARE(held.m_setupTimes1, line);
    }

    void autocalibrationHoldsTheWindowUntilItEnds()
    {
        sim::SimOptions options;
        options.warm = true;
        options.timeScale = 10;
        // Live polling fast enough for a whole run in seconds.
        LinkTiming link = quickTiming();
        link.pollPauseMs = 2;
        GuiRig rig("autocal", true, options, link);
        rig.start();
        AutoCalibrationTiming timing;
        timing.waitStepMs = 10;
        timing.settleSleepMs = 5;
        timing.msPerSecond = 100;
        rig.doc->setCalibrationTiming(timing);
        CVeldranixView& view = *rig.frame->view();
        CMapPage* page = showCalibrationPage(view);
        QVERIFY(page);
        QVERIFY(waitFor([&] { return rig.doc->multiplier().livePoint().has_value(); }));
        auto* button = qobject_cast<QPushButton*>(page->control(calids::BtnAuto));
        auto* progress = qobject_cast<QProgressBar*>(page->control(calids::Progress));
        QTabBar* tabs = view.sheet()->tabBar();
        const std::vector<QWidget*> others{page->chart(), page->control(calids::BtnClearPetrol),
                                           page->control(calids::BtnClearGas), page->control(calids::Lock)};
        auto sheetEnabled = [&] {
            bool all = tabs->isEnabled();
            for (int i = 0; i < tabs->count(); ++i)
                all = all && tabs->isTabEnabled(i);
            return all;
        };
        auto othersEnabled = [&] {
            return std::all_of(others.begin(), others.end(), [](QWidget* w) { return w->isEnabled(); });
        };
        QVERIFY(othersEnabled() && sheetEnabled() && !progress->isVisible());

        // Looked at from inside the run, while it pumps the window's events.
        struct During {
            bool seen = false, tabsEnabled = true, othersEnabled = true, closed = true, pageLeft = true,
                 stopButton = false;
        } during;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (!rig.doc->calibrating() || progress->value() < 50 || during.seen)
                return;
            QTest::keyClick(view.sheet(), Qt::Key_Tab, Qt::ControlModifier);
            during = {true, tabs->isEnabled(), othersEnabled(), rig.frame->close(),
                      view.sheet()->currentWidget() != page, button->isEnabled()};
        });
        probe.start(20);
        button->click();
        probe.stop();

        QCOMPARE(rig.doc->autoCalibration().lastResult().outcome, CalibrationOutcome::Succeeded);
        QVERIFY(during.seen);
        QVERIFY(!during.tabsEnabled && !during.othersEnabled && !during.closed && !during.pageLeft && during.stopButton);
        QVERIFY(rig.frame->isVisible());
        QVERIFY(!rig.doc->calibrating());
        QVERIFY(othersEnabled() && sheetEnabled() && !progress->isVisible());
        QCOMPARE(button->text(), QStringLiteral("Autokalibracja"));
        QVERIFY(std::find(rig.prompt.messages.begin(), rig.prompt.messages.end(), "Autokalibracja zakończona") !=
                rig.prompt.messages.end());
    }
};

TARVOLA_GUI_SUITE(CalibrationWindowTest);

} // namespace tarvola::gui::test

#include "CalibrationWindowTest.moc"
