#pragma once
// Shared work of the main window's handlers: finding the game's install folder.

#include "common/GameSearch.h"

#include <string>
#include <string_view>

namespace tolvane::Module1 {

// Where the game's installer records its folder. Every caller passes this one path.
inline constexpr std::string_view kGameFolderValue =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Unreal Technology\\Installed Apps\\UnrealTournament\\Folder";

// The game folder the program works on. While it comes from a registry (or none was set), the
// text stored under the registry path, unchanged (a trailing backslash stays), read anew at every
// call so that a changed value counts at once; the empty string when it cannot be read. A folder
// found elsewhere or chosen by the user is given as it was set.
std::string GetGameFolder(std::string_view registryPath = kGameFolderValue);

// Sets the game folder, and the drives under which it and everything a job starts are seen.
void setGameLocation(const GameLocation& location);

} // namespace tolvane::Module1
