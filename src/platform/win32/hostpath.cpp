#include "platform/hostpath.h"

#include "platform/win32/wide.h"

#include <windows.h>

namespace tolvane::platform {
namespace fs = std::filesystem;

std::vector<DriveInfo> listDrives() {
    std::vector<DriveInfo> out;
    DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (mask & (1u << i)) {
            DriveInfo info;
            info.letter = static_cast<char>('A' + i);
            info.root = std::string(1, info.letter) + ":\\";
            info.target = fs::path(widen(info.root));
            out.push_back(std::move(info));
        }
    }
    return out;
}

std::optional<fs::path> toHostPath(std::string_view winPath) {
    if (winPath.size() < 2 || winPath[1] != ':') {
        return std::nullopt;
    }
    return fs::path(widen(winPath));
}

std::optional<std::string> toWindowsPath(const fs::path& hostPath) {
    return narrowToUtf8Wide(fs::absolute(hostPath).native());
}

void selectDrives(const std::string&) {}

} // namespace tolvane::platform
