// The communication log against the virtual controller: opened from the Tools menu it shows the
// live frames with their command names, pauses, saves in the trace format, and lets the device go
// when it is closed.

#include <QAction>
#include <QFile>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRegularExpression>

#include "gui/GuiFixture.h"
#include "monitor/CCommLogDlg.h"

namespace tarvola::gui::test {

class CommLogTest : public QObject {
    Q_OBJECT
private slots:
    void showsLiveFramesWhileOpenAndNothingOnceClosed()
    {
        GuiRig rig("commlog");
        rig.start();
        QVERIFY(waitFor([&] { return rig.doc->isConnected(); }));
        auto* entry = rig.frame->menuBar()->findChild<QAction*>(QStringLiteral("commLog"));
        QVERIFY(entry);
        QCOMPARE(entry->text(), QStringLiteral("Dziennik komunikacji..."));
        entry->trigger();
        auto* log = rig.frame->findChild<CCommLogDlg*>();
        QVERIFY(log && log->isVisible() && log->observing());

        const auto text = [&] { return log->log()->toPlainText(); };
        QVERIFY(waitFor([&] { return text().contains(QStringLiteral("  pollDiagnostics")); }));
        QVERIFY(text().contains(QRegularExpression(QStringLiteral(
            R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} <- AA 55 [0-9A-F ]+  pollDiagnostics$)"),
            QRegularExpression::MultilineOption)));

        // Paused, the list stands still while frames go on; a command run then is never shown.
        log->setPaused(true);
        log->takeFrames();
        const int shown = log->log()->blockCount();
        QVERIFY(rig.doc->readSettings(SettingsBlock::Base));
        log->takeFrames();
        QCOMPARE(log->log()->blockCount(), shown);
        log->setPaused(false);
        QVERIFY(rig.doc->readSettings(SettingsBlock::Base));
        log->takeFrames();
        QVERIFY(log->log()->blockCount() > shown);

        // Saved, the file holds the shown lines as the command line's trace writes them.
        const QString dir = QString::fromStdString(tempDir("commlog"));
        QVERIFY(log->saveTo(dir + "/log.txt"));
        QFile saved(dir + "/log.txt");
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QString content = QString::fromUtf8(saved.readAll());
        QCOMPARE(content, text() + '\n');
        QVERIFY(content.contains(QStringLiteral(" -> AA 55 ")));
        const std::size_t boxes = rig.prompt.messages.size();
        QVERIFY(!log->saveTo(dir + "/log.txt/under-a-file.txt"));
        QCOMPARE(rig.prompt.messages.size(), boxes + 1);

        // Closed, the window no longer observes: a command run now leaves nothing to take.
        log->close();
        QVERIFY(!log->observing());
        const int kept = log->log()->blockCount();
        QVERIFY(rig.doc->readSettings(SettingsBlock::Base));
        log->takeFrames();
        QCOMPARE(log->log()->blockCount(), kept);
        // Opened again from the menu it is the same window, observing again.
        entry->trigger();
        QCOMPARE(rig.frame->findChildren<CCommLogDlg*>().size(), qsizetype(1));
        QVERIFY(waitFor([&] { return log->log()->blockCount() > kept; }));

        // Gone, the polling thread keeps polling without it.
        delete log;
        const std::size_t polled = rig.doc->diagData().count();
        QVERIFY(waitFor([&] { return rig.doc->diagData().count() != polled; }));
    }
};

TARVOLA_GUI_SUITE(CommLogTest);

} // namespace tarvola::gui::test

#include "CommLogTest.moc"
