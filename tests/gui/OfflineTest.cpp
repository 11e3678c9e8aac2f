// Working on a settings file without a controller: the file shown on the pages, edits going to the
// record only, saving, the title, and the hand-over to a controller that is connected later.

#include <QTest>
#include <filesystem>

#include "gui/GuiFixture.h"
#include "lang/translate.h"
#include "settings/CSettingsFile.h"
#include "settings/SettingsPageWidget.h"

namespace tarvola::gui::test {

class OfflineTest : public QObject {
    Q_OBJECT
private slots:
    void aFilePreparedAtTheDeskReachesTheController()
    {
        GuiRig rig("offline", false);
        rig.start();  // nothing answers; the demo is declined
        rig.prompt.messages.clear();
        QVERIFY(!rig.doc->isConnected());
        const std::string dir = tempDir("offline-files");
        const std::string path = dir + "/car.xset";
        CDeviceSettings prepared;
        prepared.m_base.m_switchRPM = 1800;
        QVERIFY(writeSettingsRecord(path, prepared));

        QVERIFY(rig.frame->openSettingsFile(QString::fromStdString(path)));
        QVERIFY(rig.doc->isOffline() && !rig.doc->isConnected());
        QCOMPARE(rig.doc->m_settings.m_base.m_switchRPM, 1800.0);
        QVERIFY(rig.frame->windowTitle().contains(QStringLiteral("car.xset")));
        QVERIFY(!rig.frame->windowTitle().endsWith(QStringLiteral("*")));

        // A page's change and a map edit go to the record; nothing is sent anywhere.
        SettingsPageWidget* page = nullptr;
        for (CAppPropPage* p : rig.view().sheet()->pages())
            if (auto* w = qobject_cast<SettingsPageWidget*>(p); w && &w->page() == &switchPage())
                page = w;
        QVERIFY(page);
        const SettingControl* rpm = nullptr;
        for (const auto& c : switchPage().controls)
            if (std::string_view(c.handler).ends_with("OnSelendokCmbRpmSwitch"))
                rpm = &c;
        QVERIFY(rpm);
        page->change(rpm->id, 2200);
        QCOMPARE(rig.doc->m_settings.m_base.m_switchRPM, 2200.0);
        rig.doc->mapGrid().selection().press(3, 4);
        QCOMPARE(rig.doc->mapGrid().onMapAdd(7), MapEditOutcome::RecordOnly);
        QCOMPARE(rig.doc->m_settings.m_injMapTable[4][3], 7.0);
        QVERIFY(rig.doc->offline().modified());
        QVERIFY(rig.frame->windowTitle().endsWith(QStringLiteral("*")));
        QVERIFY(rig.prompt.messages.empty());

        // Saved, closed and opened again: the changes are in the file.
        QVERIFY(rig.frame->saveSettingsFile());
        QVERIFY(!rig.frame->windowTitle().endsWith(QStringLiteral("*")));
        rig.frame->closeSettingsFile();
        QVERIFY(!rig.doc->isOffline());
        QVERIFY(rig.frame->openSettingsFile(QString::fromStdString(path)));
        QCOMPARE(rig.doc->m_settings.m_base.m_switchRPM, 2200.0);
        QCOMPARE(rig.doc->m_settings.m_injMapTable[4][3], 7.0);

        // A connection attempt that finds nothing leaves the file and its unsaved change as they were.
        page->change(rpm->id, 2500);
        rig.frame->reconnectTick();
        QVERIFY(rig.doc->isOffline());
        QCOMPARE(rig.doc->m_settings.m_base.m_switchRPM, 2500.0);

        // A controller appears: the unsaved change is saved on request, the prepared settings are
        // written after a backup of the controller's own.
        rig.sim = std::make_unique<sim::VirtualController>();
        rig.ports = {rig.sim->start()};
        rig.prompt.answer = true;
        rig.prompt.messages.clear();
        rig.frame->reconnectTick();
        QVERIFY(rig.doc->isConnected() && !rig.doc->isOffline());
        QVERIFY(!rig.doc->offline().hasPrepared());
        CDeviceSettings saved;
        std::string error;
        QVERIFY(readSettingsRecord(path, saved, error));
        QCOMPARE(saved.m_base.m_switchRPM, 2500.0);
        rig.doc->m_settings.m_base.m_switchRPM = 0;
        QVERIFY(rig.doc->readSettings(SettingsBlock::Base) && rig.doc->readMap());
        QCOMPARE(rig.doc->m_settings.m_base.m_switchRPM, 2500.0);
        QCOMPARE(rig.doc->m_settings.m_injMapTable[4][3], 7.0);
        const std::string backupNote = translate("Poprzednie ustawienia sterownika zapisano w pliku:");
        auto note = std::find_if(rig.prompt.messages.begin(), rig.prompt.messages.end(),
                                 [&](const std::string& m) { return m.starts_with(backupNote); });
        QVERIFY(note != rig.prompt.messages.end());
        QVERIFY(std::filesystem::exists(note->substr(backupNote.size() + 1)));
        QVERIFY(!rig.frame->windowTitle().contains(QStringLiteral("car.xset")));
    }
};

TARVOLA_GUI_SUITE(OfflineTest);

} // namespace tarvola::gui::test

#include "OfflineTest.moc"
