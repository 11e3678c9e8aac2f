// tarvola-cli and a port this user may not open: the command line says why and how to get access,
// and `ports` marks the port. Run in-process, with the refusal staged through the device-open seam
// (root, as in CI, opens every device).

#include "CliHarness.h"

#include <cerrno>
#include <sstream>

#include "CliApp.h"
#include "link/PortAccess.h"
#include "link/PortList.h"

using namespace tarvola::test;

namespace {
int refuseEveryOpen(const char*, int)
{
    errno = EACCES;
    return -1;
}
} // namespace

TEST(CliPortAccess, ARefusedPortIsExplainedAndListedAsSuch)
{
    const fs::path device = uniqueTempPath("refused");
    std::ofstream(device).put('x');
    const auto previous = tarvola::replaceDeviceOpen(refuseEveryOpen);

    std::ostringstream out, err;
    EXPECT_EQ(tarvola::cli::runCli({"--lang", "1", "--port", device.string(), "info"}, out, err), 3);
    expectAll(err.str(), {"No permission to open port " + device.string(), "sudo usermod -aG ", "log in again"});
    EXPECT_THAT(err.str(), Not(HasSubstr("no controller answers")));

    // Every port the system lists is refused alike; the advice follows the list once.
    std::ostringstream listed, advice;
    EXPECT_EQ(tarvola::cli::runCli({"--lang", "1", "ports"}, listed, advice), 0);
    const auto ports = tarvola::listSerialPorts();
    for (const auto& port : ports)
        EXPECT_THAT(listed.str(), HasSubstr(port + std::string(port.size() < 20 ? 20 - port.size() : 1, ' ') +
                                            "no permission\n"));
    if (!ports.empty()) {
        EXPECT_THAT(advice.str(), HasSubstr("No permission to open port " + ports.front()));
    }

    tarvola::replaceDeviceOpen(previous);
    fs::remove(device);
}
