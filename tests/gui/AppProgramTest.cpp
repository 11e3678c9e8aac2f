// The tarvola program itself: its command line, and a start against the virtual controller that
// reaches live values and closes cleanly.

#include <QProcess>
#include <QTest>

#include "gui/GuiFixture.h"

namespace tarvola::gui::test {

class AppProgramTest : public QObject {
    Q_OBJECT
private slots:
    void badCommandLinesAreUsageErrors()
    {
        for (const QStringList& args : {QStringList{"--lang", "13"}, QStringList{"--port"}, QStringList{"--bogus"},
                                        QStringList{"--demo", "--port", "/dev/null"}}) {
            QProcess p;
            p.start(QStringLiteral(TARVOLA_GUI_BIN), args);
            QVERIFY(p.waitForFinished(10000));
            QCOMPARE(p.exitCode(), 2);
            QVERIFY(p.readAllStandardError().contains("Usage: tarvola"));
        }
    }

    void simulatedStartReachesLiveValuesAndExitsCleanly()
    {
        QProcess p;
        p.start(QStringLiteral(TARVOLA_GUI_BIN), {"--simulate", "--warm", "--quit-after", "2500", "--report"});
        QVERIFY(p.waitForFinished(30000));
        const QByteArray out = p.readAllStandardOutput();
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QVERIFY2(out.contains("first-live-value-ms"), out.constData());
        QVERIFY2(!out.contains("first-live-value-ms -1"), out.constData());
    }
};

TARVOLA_GUI_SUITE(AppProgramTest);

} // namespace tarvola::gui::test

#include "AppProgramTest.moc"
