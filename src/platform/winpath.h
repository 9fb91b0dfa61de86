#pragma once
// Windows paths as plain text. The program builds every path by concatenation, exactly as the
// user would read it in a batch file; only the platform layer ever turns one into a host path.

#include <string>
#include <string_view>
#include <vector>

namespace tolvane::platform {

// "C:\a\b" -> 'C'; 0 when the path does not start with a drive letter and a colon.
char driveLetterOf(std::string_view winPath);

// The components after the drive ("C:\a\\b\" -> {"a", "", "b", ""}); empty ones are kept.
std::vector<std::string> splitComponents(std::string_view winPath);

// The text after the last backslash (or after the drive's colon).
std::string fileNameOf(std::string_view winPath);

// The path without its last component and without a trailing backslash, except that a drive
// root stays "C:\". Empty when there is nothing above.
std::string parentOf(std::string_view winPath);

// Joins the way the folder list shows paths: no separator is doubled at a drive root.
std::string joinFolder(std::string_view folder, std::string_view name);

// Removes doubled separators, "." and ".." so that two spellings of one folder compare equal.
// Keeps "C:\" for a drive root.
std::string normalizeWinPath(std::string_view winPath);

} // namespace tolvane::platform
