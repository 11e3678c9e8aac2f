// tarvola-sim: serves the virtual controller on a pseudo-terminal until SIGTERM or SIGINT.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "Options.h"
#include "VirtualController.h"

int main(int argc, char** argv) {
    using namespace tarvola::sim;
    std::vector<std::string> args(argv + 1, argv + argc);
    CommandLine cl;
    std::string error;
    if (!parseCommandLine(args, cl, error)) {
        std::cerr << "tarvola-sim: " << error << "\n" << "Try 'tarvola-sim --help'.\n";
        return 2;
    }
    if (cl.help) {
        std::cout << usageText();
        return 0;
    }
    if (cl.version) {
        std::cout << "tarvola-sim " << TARVOLA_VERSION << '\n';
        return 0;
    }

    // Block the stop signals before any thread exists, so that only sigwait below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    VirtualController controller(cl.sim);
    std::string path;
    try {
        path = controller.start();
    } catch (const std::exception& e) {
        std::cerr << "tarvola-sim: cannot create a pseudo-terminal: " << e.what() << "\n";
        return 1;
    }
    if (!cl.linkPath.empty()) {
        struct stat st {};
        if (::lstat(cl.linkPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            ::unlink(cl.linkPath.c_str());  // a link left behind by an earlier run
        if (::symlink(path.c_str(), cl.linkPath.c_str()) != 0) {
            std::perror(("tarvola-sim: --link " + cl.linkPath).c_str());
            controller.stop();
            return 1;
        }
    }
    std::cout << path << std::endl;  // endl: whoever started us waits for this line

    int signal = 0;
    sigwait(&stopSignals, &signal);

    controller.stop();
    if (!cl.linkPath.empty()) ::unlink(cl.linkPath.c_str());
    return 0;
}
