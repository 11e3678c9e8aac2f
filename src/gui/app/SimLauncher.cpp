#include "app/SimLauncher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

namespace tarvola::gui {

SimLauncher::~SimLauncher()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(2000))
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
        return {};
    }
    return QString::fromLocal8Bit(out.left(nl)).trimmed();
}

} // namespace tarvola::gui
