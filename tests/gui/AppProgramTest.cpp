// The tarvola program itself: its command line, a start against the virtual controller that reaches
// live values and closes cleanly, the stop signals, the virtual controller that never outlives the
// window, and the about box.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <sys/types.h>

#include "app/CAboutDlg.h"
#include "app/DataFolder.h"
#include "gui/GuiFixture.h"

namespace tarvola::gui::test {

namespace {
// The fields of /proc/PID/stat after the program's name: state, parent, ...; empty when it is gone.
QList<QByteArray> procStat(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray stat = file.readAll();
    return stat.mid(stat.lastIndexOf(')') + 2).split(' ');
}

QByteArray procName(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/comm").arg(pid));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
}

// A process that ended but was not reaped yet counts as gone.
bool alive(qint64 pid)
{
    const auto stat = procStat(pid);
    return !stat.isEmpty() && stat[0] != "Z" && stat[0] != "X";
}

// The virtual controller started by `parent`; 0 while there is none.
qint64 simChildOf(qint64 parent)
{
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number)
            continue;
        const auto stat = procStat(pid);
        if (stat.size() > 1 && stat[1].toLongLong() == parent && procName(pid) == "tarvola-sim")
            return pid;
    }
    return 0;
}

// True once `pid` holds a pseudo-terminal open: the window has connected to its controller.
bool holdsTerminal(qint64 pid)
{
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::Files | QDir::System))
        if (fd.symLinkTarget().startsWith(QStringLiteral("/dev/pts/")))
            return true;
    return false;
}
} // namespace

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

    // The window against its virtual controller, ended by a signal: the stop signals close it
    // cleanly and it reaps the controller before it exits; killed outright, it leaves the
    // controller to the kernel, which ends it too.
    void signalledWindowLeavesNoController_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("closesCleanly");
        QTest::newRow("SIGTERM") << SIGTERM << true;
        QTest::newRow("SIGINT") << SIGINT << true;
        QTest::newRow("SIGHUP") << SIGHUP << true;
        QTest::newRow("SIGKILL") << SIGKILL << false;
    }

    void signalledWindowLeavesNoController()
    {
        QFETCH(int, signal);
        QFETCH(bool, closesCleanly);
        QProcess p;
        p.start(QStringLiteral(TARVOLA_GUI_BIN), {"--simulate", "--warm"});
        QVERIFY(p.waitForStarted(10000));
        const qint64 window = p.processId();
        qint64 sim = 0;
        QVERIFY(waitFor([&] { return (sim = simChildOf(window)) != 0 && holdsTerminal(window); }, 20000));
        ::kill(static_cast<pid_t>(window), signal);
        QVERIFY(p.waitForFinished(20000));
        if (closesCleanly) {
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
            QVERIFY(procStat(sim).isEmpty());
        } else {
            QCOMPARE(p.exitStatus(), QProcess::CrashExit);
            QVERIFY(waitFor([&] { return !alive(sim); }, 5000));
        }
    }

    // In every language the about box names the program, its version and the documentation folder,
    // keeps the licence file's name, and is in that language rather than in Polish.
    void aboutBoxInEveryLanguage()
    {
        setCurrentLanguage(Lang::Polish);
        const QString polish = CAboutDlg().aboutText();
        for (int language = 0; language < kLanguageCount; ++language) {
            setCurrentLanguage(language);
            const QString text = CAboutDlg().aboutText();
            const QString where = QStringLiteral("language %1").arg(language);
            QVERIFY2(text.startsWith(QStringLiteral("TARVOLA v 1.08")), qPrintable(where));
            QVERIFY2(text.contains(QStringLiteral("LICENSE")), qPrintable(where));
            QVERIFY2(text.contains(guidePage(currentLanguage())), qPrintable(where));
            if (language != Lang::Polish)
                QVERIFY2(text != polish, qPrintable(where));
        }
        setCurrentLanguage(Lang::Polish);
    }
};

TARVOLA_GUI_SUITE(AppProgramTest);

} // namespace tarvola::gui::test

#include "AppProgramTest.moc"
