#pragma once
// Starts the virtual controller as a child process and learns its pseudo-terminal from the first
// line it prints. The controller never outlives this program: stop() and the destructor end and
// reap it, and on Linux the kernel sends it SIGTERM when this program dies any other way (even
// killed outright).

#include <QProcess>
#include <QString>
#include <QStringList>

namespace tarvola::gui {

class SimLauncher {
public:
    SimLauncher() = default;
    ~SimLauncher();
    SimLauncher(const SimLauncher&) = delete;
    SimLauncher& operator=(const SimLauncher&) = delete;

    // Starts it with these options; returns the terminal's path, or an empty string with `error` set
    // when the program cannot be found or started, or prints no path within five seconds.
    QString start(const QStringList& arguments, QString& error);
    // Asks it to end (SIGTERM, which it answers by closing its terminal), kills it when it has not
    // ended within two seconds, and reaps it. Does nothing when it does not run.
    void stop();
    // The program started: beside this program, else the build tree's, else on the PATH.
    static QString program();

private:
    QProcess m_process;
};

} // namespace tarvola::gui
