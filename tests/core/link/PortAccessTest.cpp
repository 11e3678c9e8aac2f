// A port this user may not open: the connection search says so, with the group that owns the
// device, before it asks about demo mode; any other failed open keeps to the usual question. The
// refusal is staged through the device-open seam, because root (as in CI) opens every device.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/lang/LangTestSupport.h"
#include "device/CLPGDevice.h"
#include "lang/Language.h"
#include "lang/MessageDictionary.h"
#include "link/PortAccess.h"

using namespace tarvola;
using ::testing::HasSubstr;

namespace {

int g_refusal = 0;
int refusingOpen(const char*, int)
{
    errno = g_refusal;
    return -1;
}

// Puts the refusing open in place for one test.
struct RefusedOpens {
    explicit RefusedOpens(int err) : previous(replaceDeviceOpen(refusingOpen)) { g_refusal = err; }
    ~RefusedOpens() { replaceDeviceOpen(previous); }
    DeviceOpenFunction previous;
};

// Errors and questions in the order the user sees them.
struct OrderedPrompt : CSilentPrompt {
    std::vector<std::string> shown;
    void error(const std::string& text) override { shown.push_back("error: " + text); }
    bool yesNo(const std::string& text) override
    {
        shown.push_back("question: " + text);
        return false;
    }
};

std::string groupOf(const std::filesystem::path& path)
{
    struct stat st{};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    const group* g = ::getgrgid(st.st_gid);
    return g ? g->gr_name : std::to_string(st.st_gid);
}

} // namespace

using PortAccess = tarvola::testing::LanguageStateTest;

TEST_F(PortAccess, ARefusedPortIsNamedWithItsGroupBeforeTheDemoQuestion)
{
    // A real file stands for the device, so its owning group can be looked up.
    const auto device = std::filesystem::temp_directory_path() / ("tarvola-refused-" + std::to_string(::getpid()));
    // A group that may read and write it, not root's (root's group is no advice).
    std::ofstream(device).put('x');
    if (::getegid() == 0) {
        ASSERT_EQ(::chown(device.c_str(), static_cast<uid_t>(-1), 65534), 0);
    }
    ASSERT_EQ(::chmod(device.c_str(), 0660), 0);
    const std::string group = groupOf(device);
    installMessageDictionary(builtInDictionary());
    setCurrentLanguage(Lang::English);

    struct Case {
        int err;
        bool permission;
    };
    for (const Case c : {Case{EACCES, true}, Case{EPERM, true}, Case{ENOENT, false}, Case{EBUSY, false}}) {
        SCOPED_TRACE(c.err);
        RefusedOpens refused(c.err);
        OrderedPrompt prompt;
        CLPGDevice dev(prompt, LinkTiming::standard(), AppConfig("/nonexistent/x.conf"));
        dev.setPortLister([&] { return std::vector<std::string>{device.string(), "/dev/tarvola-other"}; });
        EXPECT_FALSE(dev.connect());
        EXPECT_EQ(dev.port().lastOpenError(), c.err);
        ASSERT_EQ(prompt.shown.size(), c.permission ? 2u : 1u);
        EXPECT_THAT(prompt.shown.back(), HasSubstr("question: "));
        if (c.permission) {
            EXPECT_THAT(prompt.shown[0], HasSubstr("error: No permission to open port " + device.string()));
            EXPECT_THAT(prompt.shown[0], HasSubstr("sudo usermod -aG " + group + " $USER"));
            EXPECT_THAT(prompt.shown[0], HasSubstr("log in again"));
        }
        EXPECT_EQ(probePortAccess(device.string()), c.err);
    }
    // A device its group may not use: the advice is the group the udev rule gives adapters.
    ASSERT_EQ(::chmod(device.c_str(), 0600), 0);
    EXPECT_THAT(portPermissionMessage(device.string()), HasSubstr("sudo usermod -aG dialout $USER"));
    std::filesystem::remove(device);
}
