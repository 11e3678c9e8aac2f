// The oscilloscope page against the virtual controller: what it draws live, pause and resume, a
// recording made from the page and opened again, a damaged recording, and the charts dialog.

#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <fstream>
#include <sstream>

#include "app/CVeldranixDoc.h"
#include "app/CVeldranixView.h"
#include "gui/GuiFixture.h"
#include "monitor/CChartsDlg.h"
#include "monitor/COscyloskopPage.h"
#include "monitor/CScrollChart.h"

namespace tarvola::gui::test {

namespace {

COscyloskopPage* scopePage(GuiRig& rig)
{
    for (CAppPropPage* p : rig.view().sheet()->pages())
        if (auto* page = dynamic_cast<COscyloskopPage*>(p))
            return page;
    return nullptr;
}

CDiag sampleWith(std::uint16_t periodCount, std::uint16_t petrolCount, std::uint16_t correction)
{
    CDiag s;
    s.m_bytes[diag::WorkMode] = ModeGas;
    auto put = [&](std::size_t at, std::uint16_t v) {
        s.m_bytes[at] = static_cast<std::uint8_t>(v);
        s.m_bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    put(diag::PeriodCount, periodCount);
    put(diag::petrolTime(0), petrolCount);
    put(diag::gasCorrection(0), correction);
    // Entry 1 larger: the chart still takes entry 0 alone.
    put(diag::petrolTime(1), static_cast<std::uint16_t>(petrolCount + 200));
    return s;
}

float y(const COscyloskopPage& page, int channel, std::size_t i)
{
    return page.model().chart().series(channel)->points.at(i).y;
}

std::vector<std::string> lines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> out;
    for (std::string l; std::getline(in, l);)
        out.push_back(l + "\n");
    return out;
}

} // namespace

class OscilloscopeTest : public QObject {
    Q_OBJECT
private slots:
    void livePageDrawsTheSampleBeforeTheNewestAndScrolls()
    {
        GuiRig rig("scope-live");
        rig.start();
        COscyloskopPage* page = scopePage(rig);
        QVERIFY(page);
        QVERIFY(waitFor([&] { return rig.doc->diagData().count() >= 2; }));
        // A fresh page draws nothing until ">".
        page->liveUpdate(1);
        QVERIFY(page->model().chart().series(osc::Rpm)->points.empty());

        // Samples of our own: polling stopped, the controller still connected.
        rig.doc->stopDiagnostics();
        QVERIFY(rig.doc->isConnected());
        rig.doc->diagData().clear();
        // 12000 rpm, entry 0 at 10 ms with −1 ms of gas correction; then a newest sample at 2000 rpm.
        rig.doc->diagData().append(sampleWith(400, 400, 65495));
        rig.doc->diagData().append(sampleWith(2400, 80, 0));
        qobject_cast<QPushButton*>(page->control(oscids::Resume))->click();
        page->liveUpdate(2);
        QCOMPARE(y(*page, osc::Rpm, 0), 100.0f);  // 12000 rpm, clamped at the top
        QCOMPARE(y(*page, osc::PetrolTime, 0), 25.0f);
        QCOMPARE(y(*page, osc::GasTime, 0), 22.5f);

        // One point per refresh, 5 apart: past nine tenths of the width the window follows.
        for (unsigned i = 0; i < 181; ++i)
            page->liveUpdate(3 + i);
        QCOMPARE(page->model().chart().left(), 5.0f);
        QCOMPARE(page->model().chart().series(osc::Rpm)->points.back().x, 905.0f);
        QVERIFY(page->chart()->scrollBar()->value() > 0);

        // ">" starts again from an empty chart at x = 0.
        qobject_cast<QPushButton*>(page->control(oscids::Resume))->click();
        QVERIFY(page->model().chart().series(osc::Rpm)->points.empty());
        page->liveUpdate(200);
        QCOMPARE(page->model().chart().series(osc::Rpm)->points.front().x, 0.0f);
        QCOMPARE(page->model().chart().left(), 0.0f);
    }

    void recordingHoldsEverySampleAndOpensBack()
    {
        GuiRig rig("scope-record");
        rig.start();
        COscyloskopPage* page = scopePage(rig);
        QVERIFY(waitFor([&] { return rig.doc->pollingOn() && rig.doc->diagData().count() > 0; }));
        const std::string path = tempDir("scope-record") + "/run.osc";
        QString chosen;
        COscyloskopPage::setFileChooser([&](QWidget*, bool, const QString&) { return chosen; });

        // A file that cannot be made: said, and polling goes on.
        chosen = QStringLiteral("/proc/no-such-folder/run.osc");
        page->startRecording();
        QCOMPARE(rig.prompt.messages.size(), std::size_t(1));
        QVERIFY(rig.doc->pollingOn());

        chosen = QString::fromStdString(path);
        const std::uint64_t before = rig.doc->diagData().appended();
        page->startRecording();
        QVERIFY(!page->model().paused());
        QVERIFY(waitFor([&] { return rig.doc->diagData().appended() >= before + 15; }));
        qobject_cast<QPushButton*>(page->control(oscids::Pause))->click();
        QVERIFY(page->model().paused());
        std::vector<CDiag> samples;
        rig.doc->diagData().copySince(before, samples);

        // The file ends with every sample that came after its first one, none missing.
        const auto recorded = lines(path);
        QVERIFY2(recorded.size() >= 10, std::to_string(recorded.size()).c_str());
        QVERIFY(recorded.size() <= samples.size());
        const DiagContext context = rig.doc->diagData().context();
        const std::size_t offset = samples.size() - recorded.size();
        for (std::size_t i = 0; i < recorded.size(); ++i)
            QCOMPARE(recorded[i], formatRecordLine(recordValues(samples[offset + i], context)));

        // Opened again: one point per record with the record's values.
        chosen = QString::fromStdString(path);
        page->openRecording();
        QVERIFY(page->model().paused());
        DiagRecording back;
        QVERIFY(CDiagFile::readRecording(path, back));
        QCOMPARE(page->model().chart().series(osc::Rpm)->points.size(), recorded.size());
        for (std::size_t i = 0; i < back.records.size(); ++i) {
            const auto values = osc::channelValues(back.records[i]);
            for (int c = 0; c < osc::kChannels; ++c)
                QCOMPARE(y(*page, c, i), std::clamp(osc::chartHeight(c, values[std::size_t(c)]), 0.0f, 100.0f));
        }
        QCOMPARE(rig.prompt.messages.size(), std::size_t(1));
        COscyloskopPage::setFileChooser(nullptr);
    }

    void damagedRecordingDrawsItsCompleteRecords()
    {
        GuiRig rig("scope-damaged");
        rig.start();
        COscyloskopPage* page = scopePage(rig);
        const std::string path = tempDir("scope-damaged") + "/cut.osc";
        {
            std::ofstream out(path);
            std::array<double, kRecordFields> v{};
            for (int i = 0; i < 3; ++i) {
                v[0] = 3;
                v[1] = 1000.0 * (i + 1);
                out << formatRecordLine(v);
            }
            out << "3\t4000\t2.50\t2.80\t0";  // cut off while it was written
        }
        COscyloskopPage::setFileChooser([&](QWidget*, bool, const QString&) { return QString::fromStdString(path); });
        page->openRecording();
        COscyloskopPage::setFileChooser(nullptr);
        const auto& rpm = page->model().chart().series(osc::Rpm)->points;
        QCOMPARE(rpm.size(), std::size_t(3));
        QCOMPARE(rpm[2].y, 30.0f);
        QCOMPARE(page->model().nextX(), 15.0f);
        // The skipped line is reported.
        QCOMPARE(rig.prompt.messages.size(), std::size_t(1));
    }

    void chartsDialogRefreshesItsActivePageAndGivesTheModelBack()
    {
        GuiRig rig("scope-charts");
        rig.start();
        ICalibrationView* mainPage = &rig.doc->multiplier().view();
        rig.view().onCommand(ids::CmdCharts);
        CChartsDlg* dlg = CChartsDlg::openDialog();
        QVERIFY(dlg);
        rig.view().onCommand(ids::CmdCharts);
        QCOMPARE(CChartsDlg::openDialog(), dlg);
        QVERIFY(&rig.doc->multiplier().view() != mainPage);
        // The calibration tab's live values come from the dialog's own timer.
        QVERIFY(waitFor([&] { return !dlg->calibrationPage()->liveText(chartsids::GasTemp).isEmpty(); }));
        dlg->sheet()->setCurrentIndex(1);
        dlg->oscilloscopePage()->resume();
        QVERIFY(waitFor([&] { return dlg->oscilloscopePage()->model().nextX() >= 3 * osc::kStepX; }));
        // The main window's oscilloscope is not the active page there: it draws nothing.
        QVERIFY(scopePage(rig)->model().chart().series(osc::Rpm)->points.empty());
        dlg->close();
        QVERIFY(waitFor([&] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return CChartsDlg::openDialog() == nullptr;
        }));
        QCOMPARE(&rig.doc->multiplier().view(), mainPage);
    }
};

TARVOLA_GUI_SUITE(OscilloscopeTest);

} // namespace tarvola::gui::test

#include "OscilloscopeTest.moc"
