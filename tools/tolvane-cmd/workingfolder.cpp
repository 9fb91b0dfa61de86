#include "workingfolder.h"

#include "console.h"
#include "platform/hostpath.h"
#include "platform/winpath.h"

#include <system_error>

namespace tolvane::cmd {
namespace fs = std::filesystem;

namespace {

fs::path slashed(std::string_view winPath) {
    std::string text(winPath);
    for (char& c : text) {
        if (c == '\\') {
            c = '/';
        }
    }
    return fs::path(text);
}

} // namespace

bool isAbsoluteWindowsPath(std::string_view text) {
    return text.size() >= 3 && platform::driveLetterOf(text) != 0 && text[2] == '\\';
}

WorkingFolder::WorkingFolder() {
    std::error_code ec;
    host_ = fs::current_path(ec);
    if (auto win = platform::toWindowsPath(host_)) {
        windowsPath_ = *win;
        prompt_ = toConsole(windowsPath_);
    } else {
        prompt_ = toConsole(host_.string());
    }
}

std::optional<fs::path> WorkingFolder::resolve(std::string_view winPath) const {
    if (platform::driveLetterOf(winPath) != 0) {
        return platform::toHostPath(winPath);
    }
    if (windowsPath_.empty()) {
        // No drive covers this folder: only a relative path can be placed, below it.
        if (!winPath.empty() && winPath.front() == '\\') {
            return std::nullopt;
        }
        return host_ / slashed(winPath);
    }
    if (!winPath.empty() && winPath.front() == '\\') {
        return platform::toHostPath(windowsPath_.substr(0, 2) + std::string(winPath));
    }
    return platform::toHostPath(platform::joinFolder(windowsPath_, winPath));
}

} // namespace tolvane::cmd
