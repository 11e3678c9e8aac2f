// Start-up against the virtual controller, the demo question, the window title, a language switch and
// a clean close.

#include <QPushButton>
#include <QTest>

#include "app/CVeldranixDoc.h"
#include "gui/GuiFixture.h"
#include "lang/QtTextTargets.h"
#include "lang/translate.h"
#include "monitor/COscyloskopPage.h"

namespace tarvola::gui::test {

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void connectsReadsAndShowsLiveValues()
    {
        GuiRig rig("startup");
        rig.start();
        QVERIFY(rig.doc->isConnected());
        QVERIFY(!rig.doc->isDemo());
        QVERIFY(rig.doc->unreadBlocks().empty());
        QCOMPARE(rig.frame->windowTitle(), CVeldranixDoc::titleText(false));
        QVERIFY(rig.frame->windowTitle().endsWith(QString(15, QChar(' '))));
        QVERIFY(rig.frame->refreshTimerActive());
        QVERIFY(rig.prompt.messages.empty());
        // Idle at about 800 rpm: live values arrive through the polling thread and the refresh timer.
        QVERIFY(waitFor([&] { return !rig.view().rpmValue()->text().isEmpty(); }));
        const double rpm = rig.view().rpmValue()->text().toDouble();
        QVERIFY2(rpm > 500 && rpm < 1200, qPrintable(rig.view().rpmValue()->text()));
        QVERIFY(!rig.view().petrolValue(0)->text().isEmpty());
        // Cylinders above the controller's four show 0.
        QCOMPARE(rig.view().petrolValue(5)->text(), QStringLiteral("0.0"));
        // The page count and order of the sheet.
        QCOMPARE(rig.view().sheet()->count(), 8);
        QCOMPARE(rig.view().sheet()->tabText(0), QStringLiteral("Parametry benzynowe"));
        QVERIFY(qobject_cast<COscyloskopPage*>(rig.view().sheet()->widget(6)));
        QCOMPARE(rig.view().sheet()->tabText(6), QStringLiteral("Oscyloskop"));
    }

    void noControllerAsksForDemoOnceAndKeepsTrying()
    {
        GuiRig rig("nocontroller", false);
        rig.prompt.answer = false;
        rig.start();
        QCOMPARE(rig.prompt.messages.size(), std::size_t(1));
        QCOMPARE(rig.prompt.messages[0],
                 std::string("Nie można połączyć się z modułem. Sprawdź okablowanie. Czy uruchomić w trybie demo?"));
        QVERIFY(!rig.doc->isConnected());
        QVERIFY(rig.frame->reconnectTimerActive());
        QCOMPARE(rig.frame->reconnectPeriod(), 5000);
        QCOMPARE(rig.frame->windowTitle(), QStringLiteral("TARVOLA"));
        QVERIFY(rig.view().rpmValue()->text().isEmpty());
        // A failed reconnect tick waits 5 s again and asks nothing.
        rig.frame->reconnectTick();
        QCOMPARE(rig.frame->reconnectPeriod(), 5000);
        QCOMPARE(rig.prompt.messages.size(), std::size_t(1));
    }

    void demoAnswerRunsDemoWithLiveValues()
    {
        GuiRig rig("demo", false);
        rig.prompt.answer = true;
        rig.start();
        QVERIFY(rig.doc->isDemo());
        QCOMPARE(rig.frame->windowTitle(), CVeldranixDoc::titleText(true));
        QVERIFY(rig.frame->windowTitle().endsWith(QStringLiteral("     DEMO")));
        QVERIFY(waitFor([&] { return !rig.view().rpmValue()->text().isEmpty(); }));
    }

    void languageSwitchRelabelsTheView()
    {
        GuiRig rig("language");
        rig.start();
        const QString polish = rig.view().button(viewids::BtnGasoline)->text();
        QCOMPARE(polish, QStringLiteral("Benzyna"));
        rig.doc->SetLanguage(Lang::German);
        const QString german = rig.view().button(viewids::BtnGasoline)->text();
        QVERIFY(german != polish && !german.isEmpty());
        QCOMPARE(rig.view().sheet()->tabText(1), qs(translate("Parametry gazowe")));
        QVERIFY(rig.frame->action(ids::CmdLanguage)->text() != QStringLiteral("Język..."));
        // Thai comes from its language file.
        rig.doc->SetLanguage(Lang::Thai);
        const QString thai = rig.view().button(viewids::BtnGasoline)->text();
        QVERIFY(thai != polish && thai != german && !thai.isEmpty());
        rig.doc->SetLanguage(Lang::Polish);
        QCOMPARE(rig.view().button(viewids::BtnGasoline)->text(), polish);
    }

    void closingStopsPollingAndThePort()
    {
        GuiRig rig("close");
        rig.start();
        QVERIFY(rig.doc->pollingOn());
        QVERIFY(rig.frame->close());
        QVERIFY(!rig.doc->pollingOn());
        QVERIFY(!rig.frame->refreshTimerActive());
        QVERIFY(!rig.doc->port().isOpen());
    }
};

TARVOLA_GUI_SUITE(StartupTest);

} // namespace tarvola::gui::test

#include "StartupTest.moc"
