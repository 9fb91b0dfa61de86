#pragma once
// Windows paths as plain text. The program builds every path by concatenation, exactly as the
// user would read it in a batch file; only the platform layer ever turns one into a host path.

#include <string>
#include <string_view>
#include <vector>

namespace tolvane::platform {

// "C:\a\b" -> 'C'; 0 when the path does not start with a drive letter and a colon.
char driveLetterOf(std::string_view winPath);

// Whether a host file's name can stand in a Windows path. On Linux a name may hold \ / : * ? "
// < > | and control characters, or bytes that are not UTF-8. Wine lists such a file under its
// raw name (invalid bytes as U+FFFD) with a short name beside it that still holds some of those
// characters, so no Windows path reaches it exactly: "C:\Maps\a\b.unr" would be the file b.unr
// in the folder a. Such files are shown, but never named in a path.
bool isUsableWindowsName(std::string_view name);

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
