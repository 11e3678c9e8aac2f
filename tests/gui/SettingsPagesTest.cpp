// The settings pages against the virtual controller: a change on each page reaches the controller,
// picking the selected value sends nothing, the handlers that act without a controller and those that
// do not, the reset handlers, and the password gate.

#include <QCheckBox>
#include <QTest>

#include "gui/GuiFixture.h"
#include "settings/CPasswdDlg.h"
#include "settings/SettingsPageWidget.h"

namespace tarvola::gui::test {

namespace {
SettingsPageWidget* pageOf(GuiRig& rig, const SettingsPage& page)
{
    for (CAppPropPage* p : rig.view().sheet()->pages())
        if (auto* w = qobject_cast<SettingsPageWidget*>(p); w && &w->page() == &page)
            return w;
    return nullptr;
}

// Frames the controller received with this command code.
int framesWithCode(const sim::VirtualController& sim, std::uint8_t code)
{
    int n = 0;
    for (const auto& f : sim.received())
        if (f.bytes.size() > 3 && f.bytes[3] == code)
            ++n;
    return n;
}

void openPage(GuiRig& rig, SettingsPageWidget* page)
{
    rig.view().sheet()->setCurrentWidget(page);
}
} // namespace

class SettingsPagesTest : public QObject {
    Q_OBJECT
private slots:
    void everyPageWritesToTheController()
    {
        GuiRig rig("pages");
        rig.start();
        auto& s = rig.doc->m_settings;

        // Petrol page, through the list widget as a user picks.
        auto* petrol = pageOf(rig, petrolPage());
        openPage(rig, petrol);
        auto* div = qobject_cast<CValueCmbBox*>(petrol->control(2101));
        QVERIFY(div);
        div->setCurrentIndex(2);
        emit div->activated(2);
        QCOMPARE(int(s.m_base.m_sparkDivider), 3);
        s.m_base.m_sparkDivider = 1;
        QVERIFY(rig.doc->readSettings(SettingsBlock::Base));
        QCOMPARE(int(s.m_base.m_sparkDivider), 3);

        auto* gas = pageOf(rig, gasPage());
        openPage(rig, gas);
        gas->change(2202, 80);
        s.m_base.m_switchPressure = 0;
        QVERIFY(rig.doc->readSettings(SettingsBlock::Base));
        QCOMPARE(s.m_base.m_switchPressure, 80.0);
        // A fuel sensor type brings its thresholds, shown on the sliders at once.
        gas->change(2210, 0);
        QCOMPARE(int(s.m_sensorsSetup.m_fuelFull), 45);
        QCOMPARE(qobject_cast<QSlider*>(gas->control(fuelctl::FullSlider))->value(), 45);
        s.m_sensorsSetup.m_fuelQuarter = 0;
        QVERIFY(rig.doc->readSettings(SettingsBlock::SensorsSetup));
        QCOMPARE(int(s.m_sensorsSetup.m_fuelQuarter), 230);

        auto* sw = pageOf(rig, switchPage());
        openPage(rig, sw);
        sw->change(2307, 6500);
        s.m_base.m_maxRPMHigh = s.m_base.m_maxRPMLow = 0;
        QVERIFY(rig.doc->readSettings(SettingsBlock::Base));
        QCOMPARE(s.m_base.m_maxRPMHigh, 6500.0);
        QCOMPARE(s.m_base.m_maxRPMLow, 5500.0);
        QVERIFY(s.m_base.m_flags & 0x02);

        auto* adv = pageOf(rig, advancedPage());
        adv->setPasswordAsker([] { return true; });
        openPage(rig, adv);
        adv->change(2407, 200);
        s.m_adv.m_cutOffPressSwitch = 0;
        QVERIFY(rig.doc->readSettings(SettingsBlock::Adv));
        QCOMPARE(s.m_adv.m_cutOffPressSwitch, 200.0);
        QVERIFY(rig.prompt.messages.empty());
        QVERIFY(rig.prompt.plainBoxes.empty());
        QCOMPARE(rig.prompt.busy, 0);
    }

    void pickingTheSelectedValueSendsNothing()
    {
        GuiRig rig("same");
        rig.start();
        auto* sw = pageOf(rig, switchPage());
        openPage(rig, sw);
        const double current = rig.doc->m_settings.m_base.m_switchTempr;
        rig.sim->clearReceived();
        sw->change(2301, current);
        QCOMPARE(framesWithCode(*rig.sim, layoutOf(SettingsBlock::Base).writeCode), 0);
        sw->change(2301, current + 1);
        QCOMPARE(framesWithCode(*rig.sim, layoutOf(SettingsBlock::Base).writeCode), 1);
    }

    void resetHandlersEndWithTheResetRequest()
    {
        GuiRig rig("reset");
        rig.start();
        auto* petrol = pageOf(rig, petrolPage());
        openPage(rig, petrol);
        rig.sim->clearReceived();
        petrol->change(2104, 2);
        QCOMPARE(int(rig.doc->m_settings.m_adv.m_channelBytes[0]), 0x0F);  // full group, 4 injectors
        QVERIFY(rig.prompt.messages.empty());
        // The adv block is written, then the reset request follows it.
        const auto frames = rig.sim->received();
        int advAt = -1, resetAt = -1;
        for (int i = 0; i < int(frames.size()); ++i) {
            const auto& b = frames[std::size_t(i)].bytes;
            if (b.size() > 3 && b[3] == layoutOf(SettingsBlock::Adv).writeCode)
                advAt = i;
            if (b.size() > 4 && b[3] == 2 && b[4] == 10)
                resetAt = i;
        }
        QVERIFY(advAt >= 0);
        QVERIFY(resetAt > advAt);
    }

    void withoutAControllerOnlySomeHandlersAct()
    {
        GuiRig rig("offline", false);
        rig.start();
        QVERIFY(!rig.doc->isConnected());
        auto* sw = pageOf(rig, switchPage());
        openPage(rig, sw);
        const auto before = rig.doc->m_settings;
        const std::size_t boxes = rig.prompt.messages.size() + rig.prompt.plainBoxes.size();
        sw->change(2301, before.m_base.m_switchTempr + 5);
        QVERIFY(rig.doc->m_settings.m_base == before.m_base);
        QCOMPARE(rig.prompt.messages.size() + rig.prompt.plainBoxes.size(), boxes);
        // "Tryb FAST" acts anyway: the record changes and the failed write is reported.
        rig.doc->setUnlocked();
        auto* adv = pageOf(rig, advancedPage());
        openPage(rig, adv);
        auto* fast = qobject_cast<QCheckBox*>(adv->control(2405));
        const bool was = fast->isChecked();
        fast->click();
        QCOMPARE(bool(rig.doc->m_settings.m_base.m_flags & 0x40), !was);
        QCOMPARE(rig.prompt.messages.size() + rig.prompt.plainBoxes.size(), boxes + 1);
    }

    void passwordGateHidesTheAdvancedPage()
    {
        GuiRig rig("password");
        rig.start();
        auto* adv = pageOf(rig, advancedPage());
        int asked = 0;
        adv->setPasswordAsker([&] {
            ++asked;
            return false;
        });
        openPage(rig, adv);
        QCOMPARE(asked, 1);
        QVERIFY(adv->locked());
        QVERIFY(!adv->control(2401)->isVisibleTo(adv));
        // Every activation while locked asks again; the right answer shows every control.
        openPage(rig, pageOf(rig, gasPage()));
        adv->setPasswordAsker([&] {
            ++asked;
            return true;
        });
        openPage(rig, adv);
        QCOMPARE(asked, 2);
        QVERIFY(rig.doc->unlocked());
        QVERIFY(adv->control(2401)->isVisibleTo(adv));
        QVERIFY(adv->control(2414)->isVisibleTo(adv));
        openPage(rig, pageOf(rig, gasPage()));
        openPage(rig, adv);
        QCOMPARE(asked, 2);
    }

    void passwordDialogComparesExactly()
    {
        CPasswdDlg dlg;
        dlg.entry()->setText(QStringLiteral("Quorintal583"));
        dlg.onOk();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(dlg.entry()->text(), QStringLiteral("Quorintal583"));
        dlg.entry()->setText(QStringLiteral("quorintal583"));
        dlg.onOk();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }
};

TARVOLA_GUI_SUITE(SettingsPagesTest);

} // namespace tarvola::gui::test

#include "SettingsPagesTest.moc"
