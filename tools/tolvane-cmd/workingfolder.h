#pragma once
// The folder the interpreter runs in, seen as Windows sees it, and the resolution of the paths
// a batch line names (absolute, rooted at the current drive, or relative to this folder).

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane::cmd {

class WorkingFolder {
public:
    // Takes the process's current folder.
    WorkingFolder();

    // "Z:\tmp"; empty when no drive of the prefix covers the folder.
    const std::string& windowsPath() const { return windowsPath_; }

    // The prompt without the ">", in Windows-1252. With no drive covering the folder, the host
    // path stands in, so the echo still says where the job runs.
    const std::string& promptText() const { return prompt_; }

    // The host path of a Windows path typed on a batch line; nothing when its drive is missing.
    std::optional<std::filesystem::path> resolve(std::string_view winPath) const;

private:
    std::filesystem::path host_;
    std::string windowsPath_;
    std::string prompt_;
};

// "X:\..." : the only form that names one file whatever the working folder.
bool isAbsoluteWindowsPath(std::string_view text);

} // namespace tolvane::cmd
