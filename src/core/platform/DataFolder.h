#pragma once
// Where the program's data lives: the language files (E_Lang), the user's guide (guide), firmware
// images (Firmware) and the icons.
//
// An installed program finds it from its own path: <prefix>/bin/<program> reads <prefix>/share/tarvola,
// so one tree works under /usr, /usr/local or a staging folder, and keeps working when moved. A
// program run from the build tree, which has no such folder beside it, reads the source tree's data/.

#include <filesystem>

namespace tarvola {

// The data folder of an installation whose programs sit in `programFolder`, when it exists; empty
// otherwise.
std::filesystem::path installedDataFolder(const std::filesystem::path& programFolder);
// The data folder of the running program, as described above. Never raises.
std::filesystem::path dataFolder();

} // namespace tarvola
