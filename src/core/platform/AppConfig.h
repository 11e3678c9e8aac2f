#pragma once
// The program's small configuration file: $XDG_CONFIG_HOME/TARVOLA/TARVOLA.conf (default
// ~/.config/TARVOLA/TARVOLA.conf), an INI file whose section [Software\TARVOLA] holds "Last RS nr",
// the path of the serial port that last answered.
//
// Failures are quiet on purpose: a missing or unreadable file reads as "no port", and a write that
// cannot be made is skipped (the port search still works, it only starts from the beginning).

#include <optional>
#include <string>

namespace tarvola {

class AppConfig {
public:
    // Uses the standard location (the environment decides it at each call).
    AppConfig();
    // Uses this file instead; for tests and portable setups.
    explicit AppConfig(std::string filePath);

    const std::string& filePath() const { return m_path; }

    // The stored port path, or "" when there is none.
    std::string readLastPort() const;
    // Stores the port path; the file is replaced atomically (written beside, then renamed), other
    // sections and keys are kept. Returns false when it could not be written.
    bool writeLastPort(const std::string& port) const;

    std::optional<std::string> value(const std::string& section, const std::string& key) const;
    bool setValue(const std::string& section, const std::string& key, const std::string& value) const;

    static std::string defaultFilePath();

private:
    std::string m_path;
};

// Writes `contents` to `path` through a temporary file in the same folder and a rename, so a reader
// never sees a half-written file. Creates missing folders. Returns false (and leaves any old file
// untouched) on failure.
bool writeFileAtomically(const std::string& path, const std::string& contents);

// One of the program's folders for the user's files, $XDG_DATA_HOME/TARVOLA/<name>/ (default
// ~/.local/share/TARVOLA/<name>/), created when missing; the path ends with "/". Nothing when neither
// variable is set or the folder cannot be created.
std::optional<std::string> userDataFolder(const std::string& name);

} // namespace tarvola
