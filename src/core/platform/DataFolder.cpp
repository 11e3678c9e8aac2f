#include "platform/DataFolder.h"

#include <system_error>

namespace tarvola {

std::filesystem::path installedDataFolder(const std::filesystem::path& programFolder)
{
    if (programFolder.empty())
        return {};
    std::error_code ec;
    auto folder = programFolder.parent_path() / "share" / "tarvola";
    return std::filesystem::is_directory(folder, ec) ? folder : std::filesystem::path();
}

std::filesystem::path dataFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec)
        if (auto installed = installedDataFolder(exe.parent_path()); !installed.empty())
            return installed;
    return std::filesystem::path(TARVOLA_SOURCE_DATA_DIR);
}

} // namespace tarvola
