#include "link/PortAccess.h"

#include "lang/translate.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tarvola {

namespace {
std::atomic<DeviceOpenFunction> g_open{nullptr};

// Distributions differ in the group that owns serial devices; this is the one the package's udev
// rule gives USB-serial adapters, and the one a fitter most often meets.
constexpr const char* kUsualSerialGroup = "dialout";
} // namespace

int openDevice(const char* path, int flags)
{
    if (const DeviceOpenFunction replaced = g_open.load())
        return replaced(path, flags);
    return ::open(path, flags);
}

DeviceOpenFunction replaceDeviceOpen(DeviceOpenFunction open)
{
    return g_open.exchange(open);
}

bool isPermissionError(int err)
{
    return err == EACCES || err == EPERM;
}

int probePortAccess(const std::string& path)
{
    const int fd = openDevice(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    ::close(fd);
    return 0;
}

std::string deviceGroup(const std::string& path)
{
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    std::vector<char> buffer(16384);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->gr_name)
        return found->gr_name;
    return std::to_string(st.st_gid);
}

std::string portPermissionMessage(const std::string& path)
{
    // Joining the owning group only helps when that group may read and write the device; a device
    // kept for root alone gets the usual group once the package's udev rule applies to it.
    struct stat st{};
    const bool groupGrants = ::stat(path.c_str(), &st) == 0 && st.st_gid != 0 && (st.st_mode & 060) == 060;
    const std::string group = groupGrants ? deviceGroup(path) : std::string(kUsualSerialGroup);
    // The placeholders are filled in order: the port, then the group twice.
    std::string text = translate("Brak uprawnień do portu %s. Dodaj swoje konto do grupy %s poleceniem "
                                 "\"sudo usermod -aG %s $USER\", a następnie wyloguj się i zaloguj ponownie.");
    const std::string* const values[] = {&path, &group, &group};
    std::size_t from = 0;
    for (const std::string* value : values) {
        const auto at = text.find("%s", from);
        if (at == std::string::npos)
            break;
        text.replace(at, 2, *value);
        from = at + value->size();
    }
    return text;
}

} // namespace tarvola
