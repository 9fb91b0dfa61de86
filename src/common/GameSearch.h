#pragma once
// Where the game is. Players and server admins have it in many places: a Windows install in a
// Wine prefix (whose registry records the folder), OldUnreal's native Linux build, a LinuxGSM
// server, a Steam library, a Lutris prefix, or a folder they name themselves. The first place
// that holds the game wins; the user's own word comes first.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

struct GameLocation {
    std::string folder;     // the game folder as a Windows path, as the whole program uses it
    std::string winePrefix; // host path of the Wine prefix whose drives hold it; empty: the host's
    // Whether `folder` is the registry value's text, which each lookup then reads anew.
    bool fromRegistry = false;
    std::string hostFolder; // the same folder on the host, as it was found
};

struct GameSearchInput {
    std::string named;  // a host folder named on the command line; empty when none
    std::string chosen; // the host folder the user chose before; empty when none
};

struct GameSearchResult {
    std::optional<GameLocation> found;
    std::vector<std::string> looked; // the places looked at, as the user reads them
    bool chosenVanished = false;     // the folder the user chose is no longer there
    std::string namedProblem;        // why the named folder cannot be used; empty when it can
};

// Looks in order: the named folder, the chosen one, $WINEPREFIX's registry when that is set,
// the native installs (OldUnreal's default, LinuxGSM's serverfiles, each Steam library), ~/.wine's
// registry, Lutris's prefixes. Reads HOME, XDG_DATA_HOME, XDG_CONFIG_HOME and WINEPREFIX.
GameSearchResult findGame(const GameSearchInput& input);

// A folder the user names, which need not hold the game: where it lies, in a Wine prefix when it
// is inside one, else on the host. Nothing, with the reason, when it does not exist or cannot be
// read.
std::optional<GameLocation> locateFolder(const std::filesystem::path& hostFolder,
                                         std::string& whyNot);

// Whether a host folder holds the game: its tool in System or System64, Windows or native.
bool holdsGame(const std::filesystem::path& hostFolder);

} // namespace tolvane
