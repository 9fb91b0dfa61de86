#include "common/GameSearch.h"

#include "common/Module1.h"
#include "job/GameTool.h"
#include "platform/codepage.h"
#include "platform/environment.h"
#include "platform/registry.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <system_error>

#ifndef _WIN32
#include "platform/posix/wineprefix.h"

#include <dirent.h>
#endif

namespace tolvane {
namespace fs = std::filesystem;

namespace {

// The entry of a folder that names `name` in any letter case, as the game's files may be
// named in another case than the tool's usual one (UCC.exe).
std::optional<fs::path> entryIgnoringCase(const fs::path& folder, const std::string& name) {
    std::error_code code;
    if (fs::exists(folder / name, code)) {
        return folder / name;
    }
    const std::string wanted = platform::foldCase(name);
    for (const auto& entry : fs::directory_iterator(folder, code)) {
        if (platform::foldCase(entry.path().filename().string()) == wanted) {
            return entry.path();
        }
    }
    return std::nullopt;
}

// A suffix of the game folder such as "\System\ucc.exe", found below a host folder.
bool holdsFile(const fs::path& folder, std::string_view suffix) {
    fs::path at = folder;
    std::size_t start = 1;
    while (start <= suffix.size()) {
        const std::size_t end = std::min(suffix.find('\\', start), suffix.size());
        auto next = entryIgnoringCase(at, std::string(suffix.substr(start, end - start)));
        if (!next) {
            return false;
        }
        at = *next;
        start = end + 1;
    }
    std::error_code code;
    return fs::is_regular_file(at, code);
}

bool readable(const fs::path& folder) {
    std::error_code code;
    fs::directory_iterator listing(folder, code);
    return !code;
}

#ifndef _WIN32

std::string windowsPathIn(const platform::WinePrefix& drives, const fs::path& hostFolder) {
    return drives.toWindows(hostFolder).value_or(std::string());
}

// Everything the search looks at, in order: a registry of a prefix, or a folder on the host.
struct Place {
    std::string description;
    std::string prefix; // with `folder` empty: this prefix's registry
    fs::path folder;    // a folder that holds the game itself
};

std::optional<GameLocation> lookAt(const Place& place) {
    if (place.folder.empty() && place.prefix.empty()) {
        return std::nullopt; // only said: a kind of place of which there is none
    }
    if (place.folder.empty()) {
        const platform::WinePrefix prefix{fs::path(place.prefix)};
        const std::string folder = prefix.registryText(Module1::kGameFolderValue);
        const auto host = folder.empty() ? std::nullopt : prefix.toHost(folder);
        std::error_code code;
        if (host && holdsGame(*host)) {
            return GameLocation{folder, place.prefix, true,
                                fs::weakly_canonical(*host, code).string()};
        }
        return std::nullopt;
    }
    if (!holdsGame(place.folder)) {
        return std::nullopt;
    }
    std::string ignored;
    return locateFolder(place.folder, ignored);
}

// The values of one key in a Steam text file ("path" in libraryfolders.vdf, "installdir" in
// an app manifest): each line holds a quoted key and a quoted value, backslashes escaped.
std::vector<std::string> steamValues(const fs::path& file, std::string_view key) {
    std::vector<std::string> values;
    std::ifstream in(file);
    std::string line;
    const std::string quotedKey = "\"" + std::string(key) + "\"";
    while (std::getline(in, line)) {
        const auto at = line.find(quotedKey);
        if (at == std::string::npos) {
            continue;
        }
        const auto open = line.find('"', at + quotedKey.size());
        std::string value;
        for (auto i = open == std::string::npos ? line.size() : open + 1; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                value += line[++i];
            } else if (line[i] == '"') {
                values.push_back(value);
                break;
            } else {
                value += line[i];
            }
        }
    }
    return values;
}

constexpr std::string_view kSteamAppId = "13240";

std::vector<Place> steamPlaces(const fs::path& home, const fs::path& dataHome) {
    std::vector<fs::path> libraries;
    std::set<fs::path> seen;
    const auto addLibrary = [&](const fs::path& library) {
        std::error_code code;
        const fs::path real = fs::canonical(library, code);
        if (!code && seen.insert(real).second) {
            libraries.push_back(library);
        }
    };
    for (const fs::path& root : {dataHome / "Steam", home / ".steam" / "steam",
                                 home / ".var/app/com.valvesoftware.Steam/.local/share/Steam"}) {
        addLibrary(root);
        for (const auto& path : steamValues(root / "steamapps" / "libraryfolders.vdf", "path")) {
            addLibrary(path);
        }
    }
    std::vector<Place> places;
    for (const auto& library : libraries) {
        const fs::path apps = library / "steamapps";
        auto folders =
            steamValues(apps / ("appmanifest_" + std::string(kSteamAppId) + ".acf"), "installdir");
        folders.insert(folders.end(), {"Unreal Tournament", "UnrealTournament"});
        for (const auto& folder : folders) {
            places.push_back({"Steam library " + library.string(), {}, apps / "common" / folder});
        }
    }
    if (places.empty()) {
        places.push_back({"Steam's libraries (none found)", {}, {}});
    }
    return places;
}

// Lutris names each game's prefix in its configuration files ("prefix: /path"); by default the
// prefixes lie in ~/Games.
std::vector<Place> lutrisPlaces(const fs::path& home, const fs::path& dataHome,
                                const fs::path& configHome) {
    std::vector<fs::path> prefixes;
    std::error_code code;
    for (const fs::path& games : {configHome / "lutris" / "games", dataHome / "lutris" / "games"}) {
        for (const auto& entry : fs::directory_iterator(games, code)) {
            std::ifstream in(entry.path());
            std::string line;
            while (std::getline(in, line)) {
                const auto at = line.find("prefix:");
                if (at == std::string::npos) {
                    continue;
                }
                std::string value = line.substr(at + 7);
                value.erase(0, value.find_first_not_of(" \t'\""));
                value.erase(value.find_last_not_of(" \t\r'\"") + 1);
                if (value.rfind("~/", 0) == 0) {
                    value = (home / value.substr(2)).string();
                }
                if (!value.empty()) {
                    prefixes.emplace_back(value);
                }
            }
        }
    }
    for (const auto& entry : fs::directory_iterator(home / "Games", code)) {
        if (fs::exists(entry.path() / "dosdevices", code)) {
            prefixes.push_back(entry.path());
        }
    }
    std::vector<Place> places;
    for (const auto& prefix : prefixes) {
        places.push_back(
            {"the registry of Lutris's prefix " + prefix.string(), prefix.string(), {}});
        places.push_back(
            {"Lutris's prefix " + prefix.string(), {}, prefix / "drive_c" / "UnrealTournament"});
    }
    if (places.empty()) {
        places.push_back({"Lutris's prefixes (none found)", {}, {}});
    }
    return places;
}

std::vector<Place> searchOrder() {
    const fs::path home = platform::environmentVariable("HOME");
    const std::string xdgData = platform::environmentVariable("XDG_DATA_HOME");
    const std::string xdgConfig = platform::environmentVariable("XDG_CONFIG_HOME");
    const fs::path dataHome = xdgData.empty() ? home / ".local" / "share" : fs::path(xdgData);
    const fs::path configHome = xdgConfig.empty() ? home / ".config" : fs::path(xdgConfig);
    std::vector<Place> places;
    if (const std::string prefix = platform::environmentVariable("WINEPREFIX");
        !prefix.empty() && fs::path(prefix).is_absolute()) {
        places.push_back({"the registry of the Wine prefix " + prefix, prefix, {}});
    }
    if (home.empty()) {
        return places;
    }
    places.push_back(
        {"OldUnreal's Linux install", {}, dataHome / "OldUnreal" / "UnrealTournament"});
    places.push_back({"a LinuxGSM server", {}, home / "serverfiles"});
    const auto steam = steamPlaces(home, dataHome);
    places.insert(places.end(), steam.begin(), steam.end());
    places.push_back({"the registry of the Wine prefix " + (home / ".wine").string(),
                      (home / ".wine").string(),
                      {}});
    const auto lutris = lutrisPlaces(home, dataHome, configHome);
    places.insert(places.end(), lutris.begin(), lutris.end());
    return places;
}

#endif

} // namespace

bool holdsGame(const fs::path& hostFolder) {
    if (holdsFile(hostFolder, "\\System\\ucc.exe")) {
        return true;
    }
    const auto natives = nativeToolSuffixes();
    return std::any_of(natives.begin(), natives.end(),
                       [&](std::string_view suffix) { return holdsFile(hostFolder, suffix); });
}

std::optional<GameLocation> locateFolder(const fs::path& hostFolder, std::string& whyNot) {
    std::error_code code;
    const fs::path folder = fs::absolute(hostFolder, code).lexically_normal();
    if (code || !fs::is_directory(folder, code)) {
        whyNot = "The folder " + hostFolder.string() + " does not exist.";
        return std::nullopt;
    }
    if (!readable(folder)) {
        whyNot = "The folder " + hostFolder.string() + " cannot be read.";
        return std::nullopt;
    }
    std::string cleaned = folder.string();
    if (cleaned.size() > 1 && cleaned.back() == '/') {
        cleaned.pop_back();
    }
#ifdef _WIN32
    return GameLocation{cleaned, {}, false, cleaned};
#else
    // A folder inside a Wine prefix is seen through that prefix's drives, so that its Windows
    // tool runs in the prefix it was installed in.
    for (fs::path at = folder; at.has_relative_path(); at = at.parent_path()) {
        if (fs::is_directory(at / "dosdevices", code)) {
            if (std::string windows = windowsPathIn(platform::WinePrefix(at), folder);
                !windows.empty()) {
                return GameLocation{windows, at.string(), false, cleaned};
            }
            break;
        }
    }
    return GameLocation{windowsPathIn(platform::WinePrefix::host(), folder), {}, false, cleaned};
#endif
}

GameSearchResult findGame(const GameSearchInput& input) {
    GameSearchResult result;
    if (!input.named.empty()) {
        if (auto named = locateFolder(input.named, result.namedProblem)) {
            result.found = std::move(named);
            return result;
        }
    }
    if (!input.chosen.empty()) {
        std::string ignored;
        if (auto chosen = locateFolder(input.chosen, ignored)) {
            result.found = std::move(chosen);
            return result;
        }
        result.chosenVanished = true;
        result.looked.push_back(input.chosen + " (the folder you chose)");
    }
#ifdef _WIN32
    result.looked.push_back("the registry");
    if (std::string folder = platform::readRegistryText(Module1::kGameFolderValue);
        !folder.empty()) {
        result.found = GameLocation{folder, {}, true, folder};
    }
#else
    for (const auto& place : searchOrder()) {
        if (auto found = lookAt(place)) {
            result.found = std::move(found);
            return result;
        }
        const std::string line = place.folder.empty()
                                     ? place.description
                                     : place.folder.string() + " (" + place.description + ")";
        if (result.looked.empty() || result.looked.back() != line) {
            result.looked.push_back(line);
        }
    }
#endif
    return result;
}

} // namespace tolvane
