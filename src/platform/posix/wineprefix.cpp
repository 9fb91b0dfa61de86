#include "platform/posix/wineprefix.h"

#include "platform/codepage.h"
#include "platform/winpath.h"

#include <cstdlib>
#include <system_error>

namespace tolvane::platform {
namespace fs = std::filesystem;

namespace {

fs::path driveLink(const fs::path& root, char letter) {
    std::string name;
    name += static_cast<char>(letter >= 'A' && letter <= 'Z' ? letter + 32 : letter);
    name += ':';
    return root / "dosdevices" / name;
}

// The entry of a folder whose name matches in another letter case, if there is exactly such one.
std::optional<std::string> findIgnoringCase(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        return std::nullopt;
    }
    const std::string wanted = foldCase(name);
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) {
            break;
        }
        std::string entry = it->path().filename().string();
        if (foldCase(entry) == wanted) {
            return entry;
        }
    }
    return std::nullopt;
}

} // namespace

WinePrefix::WinePrefix(fs::path root) : root_(std::move(root)) {}

std::optional<WinePrefix> WinePrefix::fromEnvironment(std::string* whyNot) {
    const char* env = std::getenv("WINEPREFIX");
    if (env && *env) {
        fs::path p(env);
        if (!p.is_absolute()) {
            if (whyNot) {
                *whyNot = "WINEPREFIX must be an absolute path";
            }
            return std::nullopt;
        }
        return WinePrefix(p);
    }
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        if (whyNot) {
            *whyNot = "neither WINEPREFIX nor HOME is set";
        }
        return std::nullopt;
    }
    return WinePrefix(fs::path(home) / ".wine");
}

std::vector<DriveInfo> WinePrefix::drives() const {
    std::vector<DriveInfo> out;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        fs::path link = driveLink(root_, letter);
        std::error_code ec;
        auto status = fs::symlink_status(link, ec);
        if (ec || !fs::exists(status)) {
            continue;
        }
        DriveInfo info;
        info.letter = letter;
        info.root = std::string(1, letter) + ":\\";
        info.target = link;
        out.push_back(std::move(info));
    }
    return out;
}

std::optional<fs::path> WinePrefix::toHost(std::string_view winPath) const {
    char letter = driveLetterOf(winPath);
    // No Windows name holds a NUL, and the host would cut the path there: "C:\..\0x" would
    // leave the drive as "C:\..".
    if (!letter || winPath.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    fs::path drive = driveLink(root_, letter);
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(drive, ec))) {
        return std::nullopt;
    }
    std::vector<std::string> resolved;
    bool matching = true; // once a component is missing, the rest cannot exist either
    for (auto& part : splitComponents(winPath)) {
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            if (!resolved.empty()) {
                resolved.pop_back();
            }
            matching = true;
            continue;
        }
        if (matching) {
            fs::path folder = drive;
            for (auto& r : resolved) {
                folder /= r;
            }
            if (fs::exists(fs::symlink_status(folder / part, ec))) {
                resolved.push_back(part);
                continue;
            }
            if (auto other = findIgnoringCase(folder, part)) {
                resolved.push_back(*other);
                continue;
            }
            matching = false;
        }
        resolved.push_back(part);
    }
    fs::path out = drive;
    for (auto& r : resolved) {
        out /= r;
    }
    return out;
}

std::optional<std::string> WinePrefix::toWindows(const fs::path& hostPath) const {
    std::error_code ec;
    fs::path target = fs::weakly_canonical(fs::absolute(hostPath, ec), ec);
    if (ec) {
        return std::nullopt;
    }
    std::optional<std::string> best;
    std::size_t bestLength = 0;
    for (auto& drive : drives()) {
        std::error_code driveError;
        fs::path driveRoot = fs::canonical(drive.target, driveError);
        if (driveError) {
            continue;
        }
        auto rel = target.lexically_relative(driveRoot);
        if (rel.empty() || *rel.begin() == "..") {
            continue;
        }
        std::size_t length = driveRoot.native().size();
        if (best && length <= bestLength) {
            continue;
        }
        std::string out = drive.root;
        bool first = true;
        for (auto& part : rel) {
            if (part == ".") {
                continue;
            }
            if (!first) {
                out += '\\';
            }
            out += part.string();
            first = false;
        }
        best = out;
        bestLength = length;
    }
    return best;
}

std::vector<DriveInfo> listDrives() {
    auto prefix = WinePrefix::fromEnvironment();
    return prefix ? prefix->drives() : std::vector<DriveInfo>{};
}

std::optional<fs::path> toHostPath(std::string_view winPath) {
    auto prefix = WinePrefix::fromEnvironment();
    if (!prefix) {
        return std::nullopt;
    }
    return prefix->toHost(winPath);
}

std::optional<std::string> toWindowsPath(const fs::path& hostPath) {
    auto prefix = WinePrefix::fromEnvironment();
    if (!prefix) {
        return std::nullopt;
    }
    return prefix->toWindows(hostPath);
}

} // namespace tolvane::platform
