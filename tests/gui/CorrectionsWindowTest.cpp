// The per-cylinder correction dialog against the virtual controller: the arrows step by their sizes,
// a burst of steps reaches the controller as one write, and closing sends what is still waiting.

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <atomic>

#include "calibration/CMainCorrDlg.h"
#include "gui/GuiFixture.h"

namespace tarvola::gui::test {

namespace {

// Counts the main-correction writes (request code 15) that leave the program.
class CorrectionWrites : public IFrameObserver {
public:
    std::atomic<int> count{0};
    void onFrame(Direction direction, std::span<const std::uint8_t> bytes, const char*) override
    {
        if (direction == Direction::Sent && bytes.size() > 3 && bytes[3] == 15)
            ++count;
    }
};

// A cylinder's correction as the controller keeps it, in its 0.004 ms codes.
int controllerCode(const sim::VirtualController& sim, std::size_t cylinder)
{
    const auto block = sim.settingsBlock(sim::Block::MainCorr);
    return (block[2 * cylinder] << 8) | block[2 * cylinder + 1];
}

} // namespace

class CorrectionsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void stepsReachTheControllerInOneWrite()
    {
        CorrectionWrites writes; // outlives the rig, which holds it
        GuiRig rig("corr");
        rig.start();
        rig.doc->setFrameObserver(&writes);
        QVERIFY(waitFor([&] { return rig.doc->isConnected(); }));

        CMainCorrDlg::openOnce(*rig.doc, rig.frame.get());
        CMainCorrDlg::openOnce(*rig.doc, rig.frame.get());
        CMainCorrDlg* dlg = CMainCorrDlg::openDialog();
        QVERIFY(dlg && dlg->isVisible());
        QCOMPARE(rig.frame->findChildren<CMainCorrDlg*>().size(), qsizetype(1));
        // The controller has four injectors: four rows, and only cylinder 1's arrows work.
        for (int i = 0; i < CMainCorrDlg::kCylinders; ++i)
            QCOMPARE(dlg->edit(i)->isVisible(), i < 4);
        QVERIFY(dlg->changeForAllBox()->isChecked());
        QVERIFY(dlg->arrow(0, false, true)->isEnabled());
        QVERIFY(!dlg->arrow(1, false, true)->isEnabled());
        QVERIFY(waitFor([&] { return dlg->edit(3)->text() == QStringLiteral("1.00"); }));

        // One burst: ten fine steps up, two coarse up, one coarse down, four fine down.
        const int before = writes.count;
        const auto click = [&](bool coarse, bool up, int times) {
            for (int k = 0; k < times; ++k)
                dlg->arrow(0, coarse, up)->click();
        };
        click(false, true, 10);
        QCOMPARE(dlg->edit(0)->text(), QStringLiteral("1.10"));
        click(true, true, 2);
        click(true, false, 1);
        click(false, false, 4);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(dlg->edit(i)->text(), QStringLiteral("1.16"));
        QVERIFY(waitFor([&] { return writes.count > before && !rig.doc->mainCorr().applyTimer().running(); }));
        QCOMPARE(writes.count - before, 1);
        for (std::size_t i = 0; i < 8; ++i)
            QCOMPARE(controllerCode(*rig.sim, i), 290); // 1.16 ms

        // Unchecked, cylinder 2 steps alone; closing writes the step that still waits.
        dlg->changeForAllBox()->click();
        QVERIFY(dlg->arrow(1, true, true)->isEnabled());
        dlg->arrow(1, true, true)->click();
        QCOMPARE(dlg->edit(0)->text(), QStringLiteral("1.16"));
        QCOMPARE(dlg->edit(1)->text(), QStringLiteral("1.26"));
        dlg->close();
        QCOMPARE(writes.count - before, 2);
        QCOMPARE(controllerCode(*rig.sim, 1), 315);
        QCOMPARE(controllerCode(*rig.sim, 0), 290);
        QVERIFY(rig.prompt.messages.empty());
        QVERIFY(waitFor([] { return CMainCorrDlg::openDialog() == nullptr; }));
        rig.doc->setFrameObserver(nullptr);
    }
};

TARVOLA_GUI_SUITE(CorrectionsWindowTest);

} // namespace tarvola::gui::test

#include "CorrectionsWindowTest.moc"
