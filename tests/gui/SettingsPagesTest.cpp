// The settings pages against the virtual controller: a change on each page reaches the controller,
// picking the selected value sends nothing, the reset handlers, the handlers that act without a
// controller, the password gate, and a page redrawing itself when the document announces a change.

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

// The control whose handler is `handler` ("OnSelendokCmbMaxRpm"), so tests name what they drive.
int idOf(const SettingsPage& page, std::string_view handler)
{
    for (const auto& c : page.controls)
        if (std::string_view(c.handler).ends_with(std::string("::") + std::string(handler)))
            return c.id;
    qFatal("no control %s", std::string(handler).c_str());
}

int framesWithCode(const sim::VirtualController& sim, std::uint8_t code)
{
    int n = 0;
    for (const auto& f : sim.received())
        if (f.bytes.size() > 3 && f.bytes[3] == code)
            ++n;
    return n;
}

SettingsPageWidget* openPage(GuiRig& rig, const SettingsPage& page)
{
    SettingsPageWidget* w = pageOf(rig, page);
    rig.view().sheet()->setCurrentWidget(w);
    return w;
}
} // namespace

class SettingsPagesTest : public QObject {
    Q_OBJECT
private slots:
    void everyPageWritesToTheController()
    {
        GuiRig rig("pages");
        rig.start();
        rig.doc->setUnlocked();
        auto& s = rig.doc->m_settings;
        // Each change goes to the controller: the record is spoiled and read back from it.
        struct Row {
            const SettingsPage& page;
            const char* handler;
            double value;
            SettingsBlock block;
            std::function<double&()> field;
            double expected;
        };
        const Row rows[] = {
            {gasPage(), "OnSelendokCmbPressSwitch", 80, SettingsBlock::Base, [&]() -> double& { return s.m_base.m_switchPressure; }, 80},
            {switchPage(), "OnSelendokCmbMaxRpm", 6500, SettingsBlock::Base, [&]() -> double& { return s.m_base.m_maxRPMLow; }, 5500},
            {advancedPage(), "OnSelendokCmbCutoffPressure", 200, SettingsBlock::Adv, [&]() -> double& { return s.m_adv.m_cutOffPressSwitch; }, 200},
        };
        for (const Row& r : rows) {
            openPage(rig, r.page)->change(idOf(r.page, r.handler), r.value);
            r.field() = 0;
            QVERIFY(rig.doc->readSettings(r.block));
            QCOMPARE(r.field(), r.expected);
        }
        QVERIFY(s.m_base.m_flags & flags::MaxRpmLimit);

        // Through the list widget as a user picks it.
        auto* petrol = openPage(rig, petrolPage());
        auto* div = qobject_cast<CValueCmbBox*>(petrol->control(idOf(petrolPage(), "OnSelendokCmbRpmDiv")));
        div->setCurrentIndex(2);
        emit div->activated(2);
        QCOMPARE(int(s.m_base.m_sparkDivider), 3);

        // A fuel sensor type brings its thresholds, shown on the sliders at once.
        auto* gas = openPage(rig, gasPage());
        gas->change(idOf(gasPage(), "OnSelendokCmbFuelSensor"), 0);
        QCOMPARE(qobject_cast<QSlider*>(gas->control(fuelctl::FullSlider))->value(), 45);
        s.m_sensorsSetup.m_fuelQuarter = 0;
        QVERIFY(rig.doc->readSettings(SettingsBlock::SensorsSetup));
        QCOMPARE(int(s.m_sensorsSetup.m_fuelQuarter), 230);
        QVERIFY(rig.prompt.messages.empty() && rig.prompt.plainBoxes.empty());
        QCOMPARE(rig.prompt.busy, 0);
    }

    void thePageRedrawsWhenTheDocumentAnnouncesItsBlocks()
    {
        GuiRig rig("announce");
        rig.start();
        auto* sw = openPage(rig, switchPage());
        auto* temp = qobject_cast<CValueCmbBox*>(sw->control(idOf(switchPage(), "OnSelendokCmbTemprSwitch")));
        const double shown = *temp->selectedValue();
        // The list shows something else (as if stale); a read of the block it shows puts it right.
        temp->setCurrentIndex(temp->currentIndex() == 0 ? 1 : 0);
        QVERIFY(rig.doc->readSettings(SettingsBlock::MainCorr) && *temp->selectedValue() != shown);
        QVERIFY(rig.doc->readSettings(SettingsBlock::Base));
        QCOMPARE(*temp->selectedValue(), shown);
    }

    void pickingTheSelectedValueSendsNothingAndResetsComeLast()
    {
        GuiRig rig("same");
        rig.start();
        auto* sw = openPage(rig, switchPage());
        const int id = idOf(switchPage(), "OnSelendokCmbTemprSwitch");
        const double current = rig.doc->m_settings.m_base.m_switchTempr;
        rig.sim->clearReceived();
        sw->change(id, current);
        QCOMPARE(framesWithCode(*rig.sim, layoutOf(SettingsBlock::Base).writeCode), 0);
        sw->change(id, current + 1);
        QCOMPARE(framesWithCode(*rig.sim, layoutOf(SettingsBlock::Base).writeCode), 1);

        // The injection type ends with the controller's reset, after the block it writes.
        auto* petrol = openPage(rig, petrolPage());
        rig.sim->clearReceived();
        petrol->change(idOf(petrolPage(), "OnSelendokCmbGasInjType"), 2);
        QCOMPARE(int(rig.doc->m_settings.m_adv.m_channelBytes[0]), 0x0F);  // full group, 4 injectors
        QVERIFY(rig.prompt.messages.empty());
        const auto frames = rig.sim->received();
        int advAt = -1, resetAt = -1;
        for (int i = 0; i < int(frames.size()); ++i) {
            const auto& b = frames[std::size_t(i)].bytes;
            if (b.size() > 3 && b[3] == layoutOf(SettingsBlock::Adv).writeCode)
                advAt = i;
            if (b.size() > 4 && b[3] == 2 && b[4] == 10)
                resetAt = i;
        }
        QVERIFY(advAt >= 0 && resetAt > advAt);
    }

    void withoutAControllerOnlySomeHandlersAct()
    {
        GuiRig rig("offline", false);
        rig.start();
        QVERIFY(!rig.doc->isConnected());
        auto* sw = openPage(rig, switchPage());
        const auto before = rig.doc->m_settings;
        const std::size_t boxes = rig.prompt.messages.size() + rig.prompt.plainBoxes.size();
        sw->change(idOf(switchPage(), "OnSelendokCmbTemprSwitch"), before.m_base.m_switchTempr + 5);
        QVERIFY(rig.doc->m_settings.m_base == before.m_base);
        QCOMPARE(rig.prompt.messages.size() + rig.prompt.plainBoxes.size(), boxes);
        // The fast switch acts anyway: the record changes and the failed write is reported.
        rig.doc->setUnlocked();
        auto* adv = openPage(rig, advancedPage());
        auto* fast = qobject_cast<QCheckBox*>(adv->control(idOf(advancedPage(), "OnChkFastLpgSwitch")));
        const bool was = fast->isChecked();
        fast->click();
        QCOMPARE(bool(rig.doc->m_settings.m_base.m_flags & flags::FastSwitch), !was);
        QCOMPARE(rig.prompt.messages.size() + rig.prompt.plainBoxes.size(), boxes + 1);
    }

    void passwordGateHidesTheAdvancedPage()
    {
        GuiRig rig("password");
        rig.start();
        auto* adv = pageOf(rig, advancedPage());
        QWidget* warming = adv->control(idOf(advancedPage(), "OnChkInjWarming"));
        int asked = 0;
        bool answer = false;
        adv->setPasswordAsker([&] {
            ++asked;
            return answer;
        });
        openPage(rig, advancedPage());
        QVERIFY(adv->locked() && !warming->isVisibleTo(adv));
        // Every activation while locked asks again; the right answer shows every control, for good.
        openPage(rig, gasPage());
        answer = true;
        openPage(rig, advancedPage());
        QVERIFY(rig.doc->unlocked() && warming->isVisibleTo(adv));
        openPage(rig, gasPage());
        openPage(rig, advancedPage());
        QCOMPARE(asked, 2);

        CPasswdDlg dlg;
        dlg.entry()->setText(QStringLiteral("Quorintal583"));
        dlg.onOk();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        dlg.entry()->setText(QStringLiteral("quorintal583"));
        dlg.onOk();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }
};

TARVOLA_GUI_SUITE(SettingsPagesTest);

} // namespace tarvola::gui::test

#include "SettingsPagesTest.moc"
