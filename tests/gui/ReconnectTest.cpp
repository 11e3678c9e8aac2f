// A controller that disappears and comes back: the polling thread gives up, the reconnect timer finds
// the controller again, the values are emptied on the way and live again afterwards.

#include <QTest>
#include <filesystem>

#include "gui/GuiFixture.h"

namespace tarvola::gui::test {

class ReconnectTest : public QObject {
    Q_OBJECT
private slots:
    void controllerVanishesAndReturns()
    {
        // The application knows the controller by a fixed path that points at whichever terminal
        // the controller has now.
        const std::string link = tempDir("reconnect") + "/ttyTARVOLA";
        GuiRig rig("reconnect", false);
        rig.sim = std::make_unique<sim::VirtualController>();
        std::filesystem::remove(link);
        std::filesystem::create_symlink(rig.sim->start(), link);
        rig.ports = {link};
        rig.start();
        QVERIFY(rig.doc->isConnected());
        QVERIFY(waitFor([&] { return !rig.view().rpmValue()->text().isEmpty(); }));

        rig.sim->vanish();
        QVERIFY(waitFor([&] { return rig.frame->reconnectTimerActive(); }, 10000));
        QVERIFY(!rig.doc->isConnected());
        QCOMPARE(rig.frame->reconnectPeriod(), 1000);
        // The first tick finds nothing: the values are emptied and the timer waits 5 s.
        rig.frame->reconnectTick();
        QVERIFY(rig.view().rpmValue()->text().isEmpty());
        QCOMPARE(rig.frame->reconnectPeriod(), 5000);

        auto second = std::make_unique<sim::VirtualController>();
        std::filesystem::remove(link);
        std::filesystem::create_symlink(second->start(), link);
        rig.frame->reconnectTick();
        QVERIFY(rig.doc->isConnected());
        QVERIFY(!rig.frame->reconnectTimerActive());
        QVERIFY(waitFor([&] { return !rig.view().rpmValue()->text().isEmpty(); }));
        rig.frame->close();
        rig.sim = std::move(second);
    }
};

TARVOLA_GUI_SUITE(ReconnectTest);

} // namespace tarvola::gui::test

#include "ReconnectTest.moc"
