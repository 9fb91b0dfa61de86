#pragma once
// A Wine prefix: the folder that holds the drives (dosdevices) and the registry files. Or, for a
// game installed natively with no prefix at all, the host itself: its root is drive Z:, as in
// every Wine prefix, so that one path model serves both.

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

    // No prefix: the host's root as drive Z: and no other drive, and no registry.
    static WinePrefix host() { return WinePrefix({}); }

    // The drives this program and the programs it starts work with: the host's own when
    // TOLVANE_DRIVES is "host", else $WINEPREFIX, else ~/.wine. A relative $WINEPREFIX is
    // refused, as Wine refuses it.
    static std::optional<WinePrefix> fromEnvironment(std::string* whyNot = nullptr);

    const std::filesystem::path& root() const { return root_; }
    bool isHost() const { return root_.empty(); }

    // A registry value as readRegistryText reads it, from this prefix's registry files; empty
    // for the host, which has none.
    std::string registryText(std::string_view fullPath) const;
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
