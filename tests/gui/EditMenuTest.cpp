// The Edit menu: undo sends the old values of a calibration edit to the controller and has them
// stored, the entries name their step, a controller whose picture is replaced clears the history and
// says so; the settings comparison lists what differs.

#include <QStatusBar>
#include <QTreeWidget>
#include <QTest>

#include "app/CCompareSettingsDlg.h"
#include "gui/GuiFixture.h"
#include "settings/CSettingsFile.h"

namespace tarvola::gui::test {

class EditMenuTest : public QObject {
    Q_OBJECT
private slots:
    void undoRestoresTheControllersMapAndAReconnectForgetsTheHistory()
    {
        GuiRig rig("editmenu");
        rig.start();
        QVERIFY(rig.doc->isConnected());
        auto cell = [&](int row, int column) {
            return static_cast<int>(rig.sim->readMemory(static_cast<std::uint16_t>(320 + 15 * row + column), 1)[0]) - 100;
        };
        CMapGridModel& grid = rig.doc->mapGrid();
        grid.loadFromRecord(rig.doc->m_settings);
        grid.selection().dragTo(2, 3, 3, 3);  // columns 2..3 of row 3
        QCOMPARE(grid.onMapSet(9), MapEditOutcome::Sent);
        grid.selection().dragTo(3, 3, 4, 4);
        QCOMPARE(grid.onMapAdd(5), MapEditOutcome::Sent);
        QCOMPARE(cell(3, 3), 14);

        QAction* undo = rig.frame->action(ids::CmdUndo);
        QVERIFY(undo->isEnabled());
        QCOMPARE(undo->text(), QStringLiteral("Cofnij: Dodaj do mapy"));
        undo->trigger();
        QCOMPARE(cell(3, 3), 9);
        QCOMPARE(cell(4, 4), 0);
        QCOMPARE(cell(3, 2), 9);
        QVERIFY(rig.frame->statusBar()->currentMessage().startsWith(QStringLiteral("Cofnięto: ")));
        // Stored like the edit itself: the record follows once the controller keeps its map.
        QVERIFY(waitFor([&] {
            grid.tick();
            return !grid.storeTimer().running();
        }));
        QCOMPARE(rig.doc->m_settings.m_injMapTable[3][3], 9.0);
        QCOMPARE(rig.frame->action(ids::CmdRedo)->text(), QStringLiteral("Ponów: Dodaj do mapy"));

        // A connection, a loaded file, the factory settings or a firmware update replace the picture
        // the steps were made on; each announces it so.
        rig.doc->noteChange(DeviceChange::of(DeviceChange::Replaced));
        QVERIFY(!undo->isEnabled());
        QVERIFY(!rig.frame->action(ids::CmdRedo)->isEnabled());
        QVERIFY(rig.frame->statusBar()->currentMessage().startsWith(QStringLiteral("Historia zmian")));
    }

    // The comparison lists what differs by label and key, and a file it cannot read is said so.
    void compareSettingsListsTheDifferences()
    {
        GuiRig rig("comparesettings");
        rig.start();
        const std::string dir = tempDir("comparesettings");
        CDeviceSettings file = rig.doc->m_settings;
        file.m_base.m_switchRPM += 500;
        file.m_injMapTable[3][2] = 7;
        QVERIFY(writeSettingsRecord(dir + "/car.xset", file));

        CCompareSettingsDlg dlg(*rig.doc, rig.frame.get());
        QVERIFY(dlg.compareWithController(QString::fromStdString(dir + "/car.xset")));
        QCOMPARE(dlg.list()->topLevelItemCount(), 2);
        QCOMPARE(dlg.list()->topLevelItem(0)->text(0), QStringLiteral("Obroty przełączania"));
        QCOMPARE(dlg.list()->topLevelItem(1)->text(1), QStringLiteral("m_injMapTable[5][2000]"));
        QVERIFY(dlg.compareFiles(QString::fromStdString(dir + "/car.xset"), QString::fromStdString(dir + "/car.xset")));
        QCOMPARE(dlg.summary(), QStringLiteral("Brak różnic."));
        QVERIFY(!dlg.compareFiles(QString::fromStdString(dir + "/none.xset"), QString::fromStdString(dir + "/car.xset")));
        QVERIFY(rig.prompt.messages.back().rfind("Nie można wczytać ustawień z pliku", 0) == 0);
    }
};

TARVOLA_GUI_SUITE(EditMenuTest);

} // namespace tarvola::gui::test

#include "EditMenuTest.moc"
