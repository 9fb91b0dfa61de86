#pragma once
// Every place under the game folder that a job or a menu names. Each is the game folder followed
// directly by its suffix: nothing is trimmed or added, so a folder stored as "C:\UT\" gives two
// backslashes in a row, and each literal keeps its letter case (the file system ignores it).

#include <string>
#include <string_view>

namespace tolvane::gamepaths {

inline constexpr std::string_view kMaps = "\\Maps";
inline constexpr std::string_view kMusic = "\\Music";
inline constexpr std::string_view kSounds = "\\Sounds";
inline constexpr std::string_view kSystem = "\\System";
inline constexpr std::string_view kTextures = "\\Textures";
// The folders that hold the game's packages, in the order a redirect folder is brought up to date.
inline constexpr std::string_view kPackageFolders[] = {kMaps, kMusic, kSounds, kTextures, kSystem};
inline constexpr std::string_view kCompressed = "\\Compressed";
inline constexpr std::string_view kDecompressed = "\\Decompressed";

// The game folder followed by a suffix above.
std::string under(std::string_view gameFolder, std::string_view suffix);

// The batch file as it is written ("uccMake.Bat") and as it is run and deleted ("uccmake.bat").
std::string batchFileWritten(std::string_view gameFolder);
std::string batchFileRun(std::string_view gameFolder);

// The game's package tool, without the blank that follows it in a tool line.
std::string tool(std::string_view gameFolder);

} // namespace tolvane::gamepaths
