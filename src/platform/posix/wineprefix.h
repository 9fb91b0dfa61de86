#pragma once
// A Wine prefix: the folder that holds the drives (dosdevices) and the registry files.

#include "platform/hostpath.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::platform {

class WinePrefix {
public:
    explicit WinePrefix(std::filesystem::path root);

    // $WINEPREFIX, else ~/.wine. A relative $WINEPREFIX is refused, as Wine refuses it.
    static std::optional<WinePrefix> fromEnvironment(std::string* whyNot = nullptr);

    const std::filesystem::path& root() const { return root_; }
    std::vector<DriveInfo> drives() const;

    // Resolves component by component: an exact match first, else the entry that differs only in
    // letter case; a component that does not exist is kept as typed so new files can be created.
    // Empty components and "." are skipped, ".." goes up (never above the drive). A path holding
    // a NUL gives nothing.
    std::optional<std::filesystem::path> toHost(std::string_view winPath) const;

    // The drive whose target holds the path (the longest match wins).
    std::optional<std::string> toWindows(const std::filesystem::path& hostPath) const;

private:
    std::filesystem::path root_;
};

} // namespace tolvane::platform
