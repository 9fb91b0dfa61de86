#pragma once
// Words the main window's handlers share with the user.

namespace tolvane::messages {

inline constexpr const char* kErrorTitle = "Error~!";
inline constexpr const char* kGameFolderMissing =
    "The game folder could not be found. Is the game installed?";

} // namespace tolvane::messages
