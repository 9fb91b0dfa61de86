#pragma once
// Shared work of the main window's handlers: finding the game's install folder.

#include <string>
#include <string_view>

namespace tolvane::Module1 {

// Where the game's installer records its folder. Every caller passes this one path.
inline constexpr std::string_view kGameFolderValue =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Unreal Technology\\Installed Apps\\UnrealTournament\\Folder";

// The text stored under the registry path, unchanged (a trailing backslash stays); the empty
// string when it cannot be read. Keeps no state: every call reads the registry anew.
std::string GetGameFolder(std::string_view registryPath = kGameFolderValue);

} // namespace tolvane::Module1
