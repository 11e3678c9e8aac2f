#include "app/SimLauncher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#ifdef __linux__
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>
#endif

namespace tarvola::gui {

SimLauncher::~SimLauncher()
{
    stop();
}

void SimLauncher::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(2000)) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}

QString SimLauncher::program()
{
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/tarvola-sim");
    if (QFileInfo(beside).isExecutable())
        return beside;
#ifdef TARVOLA_SIM_DEFAULT_BIN
    const QString built = QStringLiteral(TARVOLA_SIM_DEFAULT_BIN);
    if (QFileInfo(built).isExecutable())
        return built;
#endif
    return QStringLiteral("tarvola-sim");
}

QString SimLauncher::start(const QStringList& arguments, QString& error)
{
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
#ifdef __linux__
    // In the child between fork and exec: ask the kernel for SIGTERM when the thread that started
    // it ends (the user-interface thread, which lasts as long as the program). When the program
    // died before the request took hold, the child already has another parent and that signal
    // would never come: it ends at once instead. Only async-signal-safe calls here.
    m_process.setChildProcessModifier([parent = ::getpid()] {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(1);
    });
#endif
    m_process.start(program(), arguments);
    if (!m_process.waitForStarted(5000)) {
        error = QStringLiteral("cannot start the virtual controller (%1): %2").arg(program(), m_process.errorString());
        return {};
    }
    QElapsedTimer timer;
    timer.start();
    QByteArray out;
    while (!out.contains('\n') && timer.elapsed() < 5000) {
        if (!m_process.waitForReadyRead(100) && m_process.state() == QProcess::NotRunning)
            break;
        out += m_process.readAllStandardOutput();
    }
    const int nl = out.indexOf('\n');
    if (nl <= 0) {
        error = QStringLiteral("the virtual controller did not start: ") +
                QString::fromLocal8Bit(m_process.readAllStandardError()).trimmed();
        stop();
        return {};
    }
    return QString::fromLocal8Bit(out.left(nl)).trimmed();
}

} // namespace tarvola::gui
