// The correction map window against the virtual controller: a rectangle selected with the mouse and
// edited through the popup reaches the controller's map after one store; Page Up pressed three times
// gives three range requests and one store; a comparison with a settings file shows the differences
// of the cells that differ, and editing stays off while it is shown.

#include <QAction>
#include <QLabel>
#include <QTest>

#include "calibration/CMapArray.h"
#include "calibration/CMapCorrPage.h"
#include "calibration/MapValueDlgs.h"
#include "controls/CNumEdit.h"
#include "gui/GuiFixture.h"
#include "settings/CSettingsFile.h"

namespace tarvola::gui::test {

namespace {

constexpr std::uint16_t kMapAddress = 320;
constexpr std::uint8_t kCodeControl = 2, kCodeEditRange = 13, kStoreMap = 19;

CMapCorrPage* openMapPage(GuiRig& rig)
{
    for (CAppPropPage* p : rig.view().sheet()->pages())
        if (auto* page = qobject_cast<CMapCorrPage*>(p)) {
            rig.view().sheet()->setCurrentWidget(page);
            return page;
        }
    qFatal("no map page");
}

int controllerCell(const sim::VirtualController& sim, int column, int row)
{
    return sim.readMemory(static_cast<std::uint16_t>(kMapAddress + 15 * row + column), 1).at(0) - 100;
}

struct Requests {
    int ranges = 0;
    int stores = 0;
};

Requests mapRequests(const sim::VirtualController& sim)
{
    Requests n;
    for (const auto& f : sim.received()) {
        if (f.bytes.size() < 5)
            continue;
        n.ranges += f.bytes[3] == kCodeEditRange;
        n.stores += f.bytes[3] == kCodeControl && f.bytes[4] == kStoreMap;
    }
    return n;
}

} // namespace

class MapWindowTest : public QObject {
    Q_OBJECT
private slots:
    void mouseSelectionEditedThroughThePopupReachesTheController()
    {
        GuiRig rig("map-popup");
        rig.start();
        CMapArray* grid = openMapPage(rig)->grid();
        int before[3][2];
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 2; ++r)
                before[c][r] = controllerCell(*rig.sim, 4 + c, 6 + r);
        const int outside = controllerCell(*rig.sim, 7, 6);

        // Columns 4..6, rows 6..7, dragged from the top-left cell.
        QTest::mousePress(grid, Qt::LeftButton, {}, grid->cellCentre(4, 6));
        QTest::mouseMove(grid, grid->cellCentre(6, 7));
        QTest::mouseRelease(grid, Qt::LeftButton, {}, grid->cellCentre(6, 7));
        QCOMPARE(rig.doc->mapGrid().selection().rectangle(), (MapRect{6, 4, 2, 3}));

        // The dialog refuses a negative number first and stays open, then takes 7.
        grid->setDialogRunner([&](QDialog& dialog) {
            auto& value = static_cast<CMapValueDlg&>(dialog);
            value.numberBox()->setText("-3");
            value.onOk();
            if (dialog.result() == QDialog::Accepted || rig.prompt.plainBoxes.size() != 1)
                return int(QDialog::Rejected);
            value.numberBox()->setText("7");
            value.onOk();
            return dialog.result();
        });
        rig.sim->clearReceived();
        grid->commandAction(kMapCmdAdd)->trigger();

        QVERIFY(waitFor([&] { return mapRequests(*rig.sim).stores == 1; }));
        QCOMPARE(mapRequests(*rig.sim).ranges, 1);
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 2; ++r) {
                const int expected = std::min(50, before[c][r] + 7);
                QCOMPARE(controllerCell(*rig.sim, 4 + c, 6 + r), expected);
                QCOMPARE(rig.doc->m_settings.m_injMapTable[static_cast<std::size_t>(6 + r)][static_cast<std::size_t>(4 + c)],
                         double(expected));
                QCOMPARE(grid->cell(4 + c, 6 + r).m_text, QString::number(expected) + "%");
            }
        QCOMPARE(controllerCell(*rig.sim, 7, 6), outside);
        QVERIFY(!openMapPage(rig)->warningShown());
    }

    void threePageUpPressesGiveThreeRangeRequestsAndOneStore()
    {
        GuiRig rig("map-pageup");
        rig.start();
        CMapArray* grid = openMapPage(rig)->grid();
        grid->setFocus();
        // The keyboard picks the cell: the first arrow selects (0, 0), Right and Shift+Down stretch it.
        QTest::keyClick(grid, Qt::Key_Right);
        QTest::keyClick(grid, Qt::Key_Right);
        QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(rig.doc->mapGrid().selection().rectangle(), (MapRect{0, 1, 2, 1}));
        const int before = controllerCell(*rig.sim, 1, 1);

        rig.sim->clearReceived();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(grid, Qt::Key_PageUp);
        QCOMPARE(mapRequests(*rig.sim).ranges, 3);
        QVERIFY(waitFor([&] { return mapRequests(*rig.sim).stores == 1; }));
        // The store timer has stopped, so no second store can follow.
        QVERIFY(!rig.doc->mapGrid().storeTimer().running());
        QCOMPARE(mapRequests(*rig.sim).stores, 1);
        QCOMPARE(controllerCell(*rig.sim, 1, 1), std::min(50, before + 3));
    }

    void comparisonShowsTheDifferencesAndBlocksEditing()
    {
        GuiRig rig("map-compare");
        rig.start();
        CMapCorrPage* page = openMapPage(rig);
        CMapArray* grid = page->grid();
        CDeviceSettings file = rig.doc->m_settings;
        auto& table = file.m_injMapTable;
        const double a = table[3][2], b = table[10][9];
        table[3][2] = a - 4;  // the controller holds 4 more
        table[10][9] = b + 2; // the controller holds 2 less
        const std::string path = tempDir("map-compare") + "/file.xset";
        QVERIFY(writeSettingsRecord(path, file));
        std::string error;
        QVERIFY(rig.doc->openComparison(path, error));

        QCOMPARE(grid->cell(2, 3).m_text, QStringLiteral("+4"));
        QCOMPARE(grid->cell(9, 10).m_text, QString::fromUtf8("\u22122"));
        QCOMPARE(grid->cell(0, 0).m_text, QStringLiteral("0"));
        QVERIFY(page->differenceCount()->text().endsWith(": 2"));

        // Nothing is edited, nothing is written.
        rig.sim->clearReceived();
        QTest::mouseClick(grid, Qt::LeftButton, {}, grid->cellCentre(2, 3));
        QTest::keyClick(grid, Qt::Key_PageUp);
        QTest::keyClick(grid, Qt::Key_Delete);
        QCOMPARE(mapRequests(*rig.sim).ranges, 0);

        rig.doc->endComparison();
        QCOMPARE(grid->cell(2, 3).m_text, QString::number(a) + "%");
    }
};

TARVOLA_GUI_SUITE(MapWindowTest);

} // namespace tarvola::gui::test

#include "MapWindowTest.moc"
