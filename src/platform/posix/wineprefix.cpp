#include "platform/posix/wineprefix.h"

#include "platform/codepage.h"
#include "platform/posix/foldernames.h"
#include "platform/regfile.h"
#include "platform/registry.h"
#include "platform/winpath.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>
#include <system_error>

#include <dirent.h>

namespace tolvane::platform {
namespace fs = std::filesystem;

namespace {

// Set to "host" by selectDrives when the game needs no Wine prefix.
constexpr const char* kDrivesVariable = "TOLVANE_DRIVES";

fs::path driveLink(const fs::path& root, char letter) {
    if (root.empty()) { // the host: Z: is its root, and there is no other drive
        return letter == 'Z' || letter == 'z' ? fs::path("/") : fs::path();
    }
    std::string name;
    name += static_cast<char>(letter >= 'A' && letter <= 'Z' ? letter + 32 : letter);
    name += ':';
    return root / "dosdevices" / name;
}

// Whether a folder entry names what `folded` names, `folded` being a name after foldCase. Every
// ASCII byte folds to one ASCII byte in its place, so a mismatch there settles it; only the part
// from the first other byte on needs the full fold. A missing file's name is looked for among
// every entry of its folder, thousands in a big job's output folder, so this must be cheap.
bool sameFoldedName(std::string_view entry, std::string_view folded) {
    for (std::size_t i = 0; i < entry.size(); ++i) {
        const auto byte = static_cast<unsigned char>(entry[i]);
        if (byte >= 0x80) {
            return i <= folded.size() && foldCase(entry.substr(i)) == folded.substr(i);
        }
        const char lower = static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + 32 : byte);
        if (i >= folded.size() || lower != folded[i]) {
            return false;
        }
    }
    return entry.size() == folded.size();
}

// The entry of a folder whose name matches in another letter case, if there is such a one.
std::optional<std::string> findIgnoringCase(const fs::path& folder, const std::string& name) {
    const std::string wanted = foldCase(name);
    std::optional<std::string> found;
    if (findRememberedEntry(folder, wanted, found)) {
        return found;
    }
    DIR* listing = ::opendir(folder.c_str());
    if (!listing) {
        return std::nullopt;
    }
    while (const dirent* entry = ::readdir(listing)) {
        if (sameFoldedName(entry->d_name, wanted)) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(listing);
    return found;
}

} // namespace

WinePrefix::WinePrefix(fs::path root) : root_(std::move(root)) {}

std::optional<WinePrefix> WinePrefix::fromEnvironment(std::string* whyNot) {
    if (const char* drives = std::getenv(kDrivesVariable);
        drives && std::string_view(drives) == "host") {
        return host();
    }
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
        if (link.empty() || ec || !fs::exists(status)) {
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
    if (drive.empty() || !fs::exists(fs::symlink_status(drive, ec))) {
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

std::string WinePrefix::registryText(std::string_view fullPath) const {
    const auto path = splitRegistryPath(fullPath);
    if (isHost() || !path) {
        return {};
    }
    const char* file = path->hive == RegistryHive::LocalMachine ? "system.reg" : "user.reg";
    std::ifstream in(root_ / file, std::ios::binary);
    if (!in) {
        return {};
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!in && !in.eof()) {
        return {};
    }
    return findRegistryText(text.str(), path->key, path->value).value_or(std::string{});
}

void selectDrives(const std::string& winePrefix) {
    // The programs a job starts (the interpreter, wine, the folder window) inherit the choice.
    if (winePrefix.empty()) {
        ::setenv(kDrivesVariable, "host", 1);
        ::unsetenv("WINEPREFIX");
    } else {
        ::unsetenv(kDrivesVariable);
        ::setenv("WINEPREFIX", winePrefix.c_str(), 1);
    }
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
