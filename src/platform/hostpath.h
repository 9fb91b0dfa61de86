#pragma once
// The bridge between Windows paths and the host's file system. On Windows it is the identity; on
// Linux every drive is an entry of the Wine prefix's dosdevices folder.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::platform {

struct DriveInfo {
    char letter = 0;  // upper case
    std::string root; // "C:\"
    std::filesystem::path target;
};

// The drives that exist, in letter order.
std::vector<DriveInfo> listDrives();

// The host path of a Windows path; nothing when the path names no drive that exists.
std::optional<std::filesystem::path> toHostPath(std::string_view winPath);

// The Windows path under which the host path is seen; nothing when no drive covers it.
std::optional<std::string> toWindowsPath(const std::filesystem::path& hostPath);

// Which drives this program and the programs it starts see from now on: those of the Wine
// prefix at that host path, or with an empty path the host's own root as Z: (a game installed
// without Wine). Windows has only its own drives, so there it does nothing.
void selectDrives(const std::string& winePrefix);

} // namespace tolvane::platform
