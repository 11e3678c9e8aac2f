// The read/write dialog and the firmware update window against the virtual controller: a save and a
// load through the dialog, the firmware button only for a controller that takes an update, and an
// update through the window that cannot be closed while it writes.

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "FirmwareImageBuilder.h"
#include "gui/GuiFixture.h"
#include "service/CFirmwareDlg.h"
#include "service/CSettingsDlg.h"
#include "settings/CSettingsFile.h"

namespace tarvola::gui::test {

namespace fs = std::filesystem;
using tarvola::test::FirmwareImageContents;

namespace {
// The controller's settings memory: the map block and every settings block, without the base
// block's PC stamp (bytes 24..27), which every write replaces with this PC's.
std::vector<std::uint8_t> settingsMemory(const sim::VirtualController& sim)
{
    std::vector<std::uint8_t> all = sim.readMemory(320, 288);
    for (const auto block : {sim::Block::Base, sim::Block::Adv, sim::Block::MainCorr, sim::Block::SetupTimes,
                             sim::Block::Sensors, sim::Block::AdvancedSetup}) {
        auto bytes = sim.settingsBlock(block);
        if (block == sim::Block::Base)
            bytes.resize(24);
        all.insert(all.end(), bytes.begin(), bytes.end());
    }
    return all;
}
} // namespace

class SettingsDialogTest : public QObject {
    Q_OBJECT
    std::string m_home;
private slots:
    void initTestCase()
    {
        // Backups and settings files go to a folder of this run, never the user's own.
        m_home = tempDir("settings-dialog");
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(m_home));
    }
    void cleanup()
    {
        CSettingsDlg::setFileChooser({});
        CFirmwareDlg::setFileChooser({});
    }

    void saveThenLoadRestoresTheControllerAndKeepsABackup()
    {
        GuiRig rig("settings-roundtrip");
        rig.start();
        const std::string file = m_home + "/car.xset";
        CSettingsDlg::setFileChooser([&](QWidget*, CSettingsDlg::FileRole, const QString& folder) {
            return folder.endsWith(QStringLiteral("/TARVOLA/settings/")) ? QString::fromStdString(file) : QString();
        });
        const auto saved = settingsMemory(*rig.sim);
        {
            CSettingsDlg dlg(*rig.doc);
            QVERIFY(!dlg.firmwareButton()->isHidden());
            dlg.saveButton()->click();
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        }
        QVERIFY(fs::exists(file));

        // Change the controller, then load the file back over it.
        auto switchRpm = rig.doc->m_settings.m_base.m_switchRPM;
        rig.doc->m_settings.m_base.m_switchRPM = static_cast<decltype(switchRpm)>(switchRpm + 500);
        QVERIFY(rig.doc->writeSettings(SettingsBlock::Base));
        QVERIFY(settingsMemory(*rig.sim) != saved);
        CSettingsDlg dlg(*rig.doc);
        dlg.loadButton()->click();
        QCOMPARE(settingsMemory(*rig.sim), saved);
        QCOMPARE(rig.doc->m_settings.m_base.m_switchRPM, switchRpm);

        // The backup holds what the load overwrote, and the user was told where it is.
        CDeviceSettings backup;
        std::string error;
        QVERIFY(readSettingsRecord(dlg.lastBackup().toStdString(), backup, error));
        QCOMPARE(int(backup.m_base.m_switchRPM), switchRpm + 500);
        QVERIFY(!rig.prompt.messages.empty());
        QVERIFY(rig.prompt.messages.back().find(dlg.lastBackup().toStdString()) != std::string::npos);
    }

    void firmwareButtonIsHiddenWhenTheControllerForbidsUpdates()
    {
        sim::SimOptions options;
        options.noFirmwareUpdate = true;
        GuiRig rig("settings-nofw", true, options);
        rig.start();
        CSettingsDlg dlg(*rig.doc);
        dlg.show();
        QVERIFY(!dlg.firmwareButton()->isVisible());
        QVERIFY(!dlg.firmwareButton()->isEnabled());
    }

    void updateProgramsEveryBlockAndShowsTheNewVersion()
    {
        GuiRig rig("settings-firmware");
        rig.start();
        const auto image = [&](const std::string& name, void (*change)(FirmwareImageContents&)) {
            FirmwareImageContents contents;
            contents.data = tarvola::test::firmwareTestData(9380); // 11 blocks to send
            if (change)
                change(contents);
            const std::string path = m_home + "/" + name;
            tarvola::test::writeBinaryFile(path, tarvola::test::buildFirmwareFile(contents));
            return QString::fromStdString(path);
        };
        CFirmwareDlg dlg(*rig.doc);
        dlg.show();
        // Images that do not fit are refused in the window, before anything is sent.
        QVERIFY(!dlg.chooseImage(image("other.img", [](FirmwareImageContents& c) { c.name = "VELDRANIX K481"; })));
        QVERIFY(!dlg.chooseImage(image("damaged.img", [](FirmwareImageContents& c) { c.checkWordError = 1; })));
        QVERIFY(!dlg.startButton()->isEnabled());

        QVERIFY(dlg.chooseImage(image("new.img", nullptr)));
        // Closing the window while blocks are written is refused.
        bool closedWhileRunning = false;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (dlg.running()) {
                dlg.reject();
                closedWhileRunning = closedWhileRunning || !dlg.isVisible();
            }
        });
        closer.start(5);
        dlg.startButton()->click();
        closer.stop();
        QVERIFY(!closedWhileRunning);
        QVERIFY(dlg.isVisible());

        QCOMPARE(dlg.progressBar()->maximum(), 11);
        QCOMPARE(dlg.progressBar()->value(), 11);
        QCOMPARE(dlg.controllerVersionLabel()->text(), QStringLiteral("0x0207"));
        QVERIFY(dlg.statusLabel()->text().contains(QStringLiteral("0x0207")));
        QVERIFY(fs::exists(dlg.backupLabel()->text().toStdString()));
        QVERIFY(rig.doc->isConnected());
        QVERIFY(dlg.closeButton()->isEnabled());
    }
};

TARVOLA_GUI_SUITE(SettingsDialogTest);

} // namespace tarvola::gui::test

#include "SettingsDialogTest.moc"
