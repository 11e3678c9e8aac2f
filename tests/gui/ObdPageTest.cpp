// The OBD page against the virtual controller's car: the link it reports, the fuel trims of the
// bank the car has, and its trouble codes read and erased from the page's buttons.

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "gui/GuiFixture.h"
#include "obd/COBD2Page.h"
#include "service/COBDSession.h"

namespace tarvola::gui::test {

namespace {

QStringList listed(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

} // namespace

class ObdPageTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheCarsTrimsAndCodesAndErasesThem()
    {
        sim::SimOptions options;
        options.troubleCodes = std::vector<std::uint16_t>{0x0171, 0x0301};
        GuiRig rig("obd", true, options);
        rig.start();
        QVERIFY(waitFor([&] { return rig.doc->isConnected(); }));

        auto* page = new COBD2Page(*rig.doc, rig.view().sheet());
        rig.view().sheet()->addPage(page);
        rig.view().sheet()->setCurrentWidget(page);
        QVERIFY(waitFor([&] { return page->session().isOpen(); }));

        auto text = [&](int id) { return static_cast<QLineEdit*>(page->control(id))->text(); };
        QCOMPARE(text(obdids::Protocol), QStringLiteral("CAN 11-bit 500kb/s"));
        QCOMPARE(text(obdids::Standard), QStringLiteral("OBD Europe (EOBD)"));

        // The refresh ticks bring the bank 1 trims; the car has no bank 2, so its fields stay empty
        // and the car counts as single-bank once it answered.
        QVERIFY(waitFor([&] { return !page->liveField(1)->text().isEmpty() && !page->liveField(2)->text().isEmpty(); }));
        for (int entry : {3, 4}) {
            QVERIFY(page->liveField(entry)->text().isEmpty());
            QVERIFY(!page->liveField(entry)->isEnabled());
        }
        QVERIFY(page->session().live().bank1Present());
        QVERIFY(!page->session().live().bank2Present());
        QVERIFY(!page->liveField(1)->text().contains(QLatin1Char(',')));
        QVERIFY(page->statusLine()->isHidden());

        // Reading the codes lists them with their descriptions.
        auto* read = static_cast<QPushButton*>(page->control(obdids::BtnRead));
        auto* erase = static_cast<QPushButton*>(page->control(obdids::BtnErase));
        QVERIFY(read->isEnabled() && erase->isEnabled());
        read->click();
        QCOMPARE(listed(page->codeList()), (QStringList{QStringLiteral("P0171   System too Lean (Bank 1)"),
                                                        QStringLiteral("P0301   Cylinder 1 Misfire Detected")}));

        // Erasing asks first: No keeps the codes in the car and on the page.
        rig.prompt.messages.clear();
        rig.prompt.answer = false;
        erase->click();
        QVERIFY(rig.prompt.messages == std::vector<std::string>{"Czy chcesz skasować błędy OBD?"});
        QCOMPARE(page->codeList()->count(), 2);
        QCOMPARE(rig.sim->troubleCodes().size(), std::size_t{2});

        rig.prompt.answer = true;
        erase->click();
        QCOMPARE(page->codeList()->count(), 0);
        QVERIFY(rig.sim->troubleCodes().empty());
        read->click();
        QCOMPARE(page->codeList()->count(), 0);
        QCOMPARE(rig.prompt.messages.size(), std::size_t{2}); // no error shown
    }
};

TARVOLA_GUI_SUITE(ObdPageTest);

} // namespace tarvola::gui::test

#include "ObdPageTest.moc"
