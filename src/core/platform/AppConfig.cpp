#include "platform/AppConfig.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace tarvola {

namespace {
constexpr const char* kSection = "Software\\TARVOLA";
constexpr const char* kLastPortKey = "Last RS nr";

std::string trim(const std::string& s)
{
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    const auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> readLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool isSection(const std::string& line, std::string* name)
{
    const std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']')
        return false;
    if (name)
        *name = t.substr(1, t.size() - 2);
    return true;
}
} // namespace

AppConfig::AppConfig() : m_path(defaultFilePath()) {}

AppConfig::AppConfig(std::string filePath) : m_path(std::move(filePath)) {}

std::string AppConfig::defaultFilePath()
{
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.config";
    else
        base = ".";
    return base + "/TARVOLA/TARVOLA.conf";
}

std::optional<std::string> AppConfig::value(const std::string& section, const std::string& key) const
{
    std::string current;
    for (const auto& line : readLines(m_path)) {
        std::string name;
        if (isSection(line, &name)) {
            current = name;
            continue;
        }
        if (current != section)
            continue;
        const auto eq = line.find('=');
        if (eq != std::string::npos && trim(line.substr(0, eq)) == key)
            return trim(line.substr(eq + 1));
    }
    return std::nullopt;
}

bool AppConfig::setValue(const std::string& section, const std::string& key, const std::string& value) const
{
    std::vector<std::string> lines = readLines(m_path);
    std::string current;
    bool inSection = false, done = false;
    std::size_t sectionEnd = lines.size();
    bool sectionFound = false;
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        std::string name;
        if (isSection(lines[i], &name)) {
            if (inSection) {
                sectionEnd = i;
                break;
            }
            inSection = name == section;
            sectionFound = sectionFound || inSection;
            continue;
        }
        if (!inSection)
            continue;
        const auto eq = lines[i].find('=');
        if (eq != std::string::npos && trim(lines[i].substr(0, eq)) == key) {
            lines[i] = key + "=" + value;
            done = true;
        }
    }
    if (!done) {
        if (!sectionFound) {
            lines.push_back("[" + section + "]");
            sectionEnd = lines.size();
        }
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), key + "=" + value);
    }
    std::string text;
    for (const auto& l : lines)
        text += l + "\n";
    return writeFileAtomically(m_path, text);
}

std::string AppConfig::readLastPort() const
{
    return value(kSection, kLastPortKey).value_or("");
}

bool AppConfig::writeLastPort(const std::string& port) const
{
    return setValue(kSection, kLastPortKey, port);
}

bool writeFileAtomically(const std::string& path, const std::string& contents)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target(path);
    if (target.has_parent_path())
        fs::create_directories(target.parent_path(), ec);
    const std::string temp = path + ".tmp-" + std::to_string(::getpid());
    {
        std::FILE* f = std::fopen(temp.c_str(), "wb");
        if (!f)
            return false;
        const bool wrote = std::fwrite(contents.data(), 1, contents.size(), f) == contents.size();
        const bool flushed = std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0;
        const bool closed = std::fclose(f) == 0;
        if (!wrote || !flushed || !closed) {
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

std::optional<std::string> userDataFolder(const std::string& name)
{
    namespace fs = std::filesystem;
    fs::path base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = fs::path(home) / ".local" / "share";
    else
        return std::nullopt;
    const fs::path folder = base / "TARVOLA" / name;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec))
        return std::nullopt;
    return (folder / "").string();
}

} // namespace tarvola
