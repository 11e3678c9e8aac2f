// The dashboard's fuel gauge and lamps, the work-mode buttons, the injector check boxes and the
// large live display.

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>

#include "controls/CColorStatic.h"
#include "gui/GuiFixture.h"
#include "lang/QtTextTargets.h"
#include "monitor/CDisplayDlg.h"

namespace tarvola::gui::test {

class DashboardTest : public QObject {
    Q_OBJECT
private slots:
    // Every labelled control of every page shows its text: a table that cannot be applied to its
    // page leaves blank buttons and captions.
    void everyPageLabelsItsControls()
    {
        GuiRig rig("labels", false);
        rig.start();
        for (CAppPropPage* page : rig.view().sheet()->pages())
            for (QWidget* w : page->findChildren<QWidget*>()) {
                if (textId(w) == 0 || !w->isVisibleTo(page))
                    continue;
                QString text;
                if (auto* label = qobject_cast<QLabel*>(w))
                    text = label->text();
                else if (auto* button = qobject_cast<QAbstractButton*>(w))
                    text = button->text();
                else
                    continue;
                if (text.isEmpty())
                    QFAIL(qPrintable(page->title() + QStringLiteral(": control %1 has no text").arg(textId(w))));
            }
    }

    void fuelGaugeFollowsTheThresholds()
    {
        GuiRig rig("gauge", false);
        auto& v = rig.view();
        auto& f = rig.doc->m_settings.m_sensorsSetup;
        // Lamps from the top; the record's thresholds are 130, 126, 117, 114; a falling sensor (full
        // below the next threshold) is read turned round.
        struct Row {
            std::array<std::uint8_t, 4> thresholds;
            std::uint8_t level;
            std::array<bool, 4> lit;
        };
        const Row rows[] = {
            {{130, 126, 117, 114}, 120, {false, false, true, true}},
            {{130, 126, 117, 114}, 114, {false, false, false, false}},
            {{130, 126, 117, 114}, 116, {false, false, false, true}},
            {{130, 126, 117, 114}, 131, {true, true, true, true}},
            {{114, 117, 126, 130}, 113, {true, true, true, true}},
        };
        for (const Row& r : rows) {
            f.m_fuelFull = r.thresholds[0];
            f.m_fuelHgw = r.thresholds[1];
            f.m_fuelHalf = r.thresholds[2];
            f.m_fuelQuarter = r.thresholds[3];
            v.showFuelGauge(r.level);
            for (int i = 0; i < 4; ++i)
                QCOMPARE(v.indicator(i)->backgroundColor() == colors::LampGreen, r.lit[std::size_t(i)]);
        }
        QCOMPARE(v.indicator(4)->backgroundColor(), colors::Red);
        QCOMPARE(v.indicator(5)->backgroundColor(), colors::LampGreen);
        QCOMPARE(v.indicator(6)->backgroundColor(), colors::Red);
    }

    void gasModeLightsTheInjectorsAndTheGauge()
    {
        sim::SimOptions options;
        options.warm = true;
        GuiRig rig("gasmode", true, options);
        rig.start();
        QVERIFY(waitFor([&] { return !rig.view().rpmValue()->text().isEmpty(); }));
        rig.view().OnBtnLpg();
        QVERIFY(rig.prompt.messages.empty());
        QVERIFY(waitFor([&] { return rig.view().injectorLabel(0)->backgroundColor() == colors::ActiveGreen; }, 8000));
        QVERIFY(rig.view().injectorCheck(0)->isChecked());
        QVERIFY(waitFor([&] { return rig.view().indicator(5)->backgroundColor() == colors::LampGreen; }));
        // Back to petrol: the labels turn grey again.
        rig.view().OnBtnGasoline();
        QVERIFY(waitFor([&] { return rig.view().injectorLabel(0)->backgroundColor() == colors::LightGrey; }, 8000));
        QVERIFY(rig.prompt.messages.empty());
    }

    void injectorBoxesOfAnOldControllerOnPetrolSendNothing()
    {
        sim::SimOptions options;
        options.version = 516;
        GuiRig rig("oldinj", true, options);
        rig.start();
        QVERIFY(waitFor([&] { return !rig.view().rpmValue()->text().isEmpty(); }));
        rig.sim->clearReceived();
        rig.view().injectorCheck(1)->click();
        for (const auto& f : rig.sim->received())
            QVERIFY(!(f.bytes.size() > 4 && f.bytes[3] == 2 && f.bytes[4] == 23));
    }

    void switchButtonsReportAFailure()
    {
        GuiRig rig("switchfail");
        rig.start();
        rig.sim->ignoreControlRequest(1);
        rig.view().OnBtnLpg();
        QCOMPARE(rig.prompt.messages.size(), std::size_t(1));
        QCOMPARE(rig.prompt.messages[0], std::string("Nie powiodło się przełączenie na gaz!"));
        QCOMPARE(rig.prompt.busy, 0);
    }

    void largeDisplayScalesAndOnlyF10ClosesIt()
    {
        GuiRig rig("display");
        rig.start();
        QVERIFY(waitFor([&] { return !rig.view().rpmValue()->text().isEmpty(); }));
        CDisplayDlg dlg(*rig.doc, QSize(900, 600), rig.frame.get());
        dlg.show();
        QVERIFY(dlg.timerActive());
        QVERIFY(waitFor([&] { return dlg.value(1069)->text() != QStringLiteral("0"); }));
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QTest::keyClick(&dlg, Qt::Key_Return);
        dlg.close();
        QVERIFY(dlg.isVisible());
        QTest::keyClick(&dlg, Qt::Key_F10);
        QVERIFY(!dlg.isVisible());
    }

    void largeDisplayOpenedUnconnectedNeverUpdates()
    {
        GuiRig rig("display-off", false);
        rig.start();
        CDisplayDlg dlg(*rig.doc, QSize(600, 400), rig.frame.get());
        QVERIFY(!dlg.timerActive());
        QCOMPARE(dlg.value(1080)->text(), QStringLiteral("0.0"));
    }
};

TARVOLA_GUI_SUITE(DashboardTest);

} // namespace tarvola::gui::test

#include "DashboardTest.moc"
