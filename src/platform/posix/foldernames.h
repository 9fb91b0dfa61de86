#pragma once
// The entries of folders a process keeps looking into, kept up to date by the system's change
// notices. A name that is not in a folder in its exact letter case can only be looked for in
// other cases by reading the whole folder; a job that moves thousands of files into one folder
// would read it once for every file, and take time that grows with the square of the job.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane::platform {

// From now on this process remembers the entries of every folder it looks for a name in, and
// follows each change anybody makes to them. For a single-threaded program such as the bundled
// interpreter; without this call, every lookup reads its folder.
void rememberFolderEntries();

// Whether the folder's entries are remembered (or could be remembered now); if so, `found` is an
// entry whose name folds to `folded`, or nothing when there is none.
bool findRememberedEntry(const std::filesystem::path& folder, std::string_view folded,
                         std::optional<std::string>& found);

} // namespace tolvane::platform
