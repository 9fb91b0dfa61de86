#include "job/FolderIndex.h"

#include "platform/codepage.h"
#include "platform/winpath.h"

#include <algorithm>

namespace tolvane {

std::string FolderIndex::listedName(const std::string& winPath, Folder*& folder) {
    const std::string name = platform::fileNameOf(winPath);
    // Thousands of lookups go to a few folders. A folder already asked about is known again by
    // the text before the name in the path, without forming the folder's path anew each time.
    const std::size_t cut = winPath.find_last_of("\\/");
    const bool plainName = cut != std::string::npos && !name.empty() && name != "." && name != "..";
    const std::string_view before = plainName ? std::string_view(winPath).substr(0, cut) : "";
    const auto known = plainName ? byPathText_.find(before) : byPathText_.end();
    if (known != byPathText_.end()) {
        folder = known->second;
    } else {
        const auto [found, fresh] = folders_.try_emplace(platform::parentOf(winPath));
        folder = &found->second;
        if (fresh) {
            folder->lookup = std::make_unique<platform::FolderLookup>(found->first);
            folder->files.reserve(folder->lookup->entries().size());
            for (const auto& entry : folder->lookup->entries()) {
                if (!entry.isFolder) {
                    folder->files[platform::foldCase(entry.name)].push_back(entry.name);
                }
            }
        }
        if (plainName) {
            byPathText_.emplace(before, folder);
        }
    }
    const auto match = folder->files.find(platform::foldCase(name));
    if (match == folder->files.end()) {
        return {};
    }
    // Where names differ only in letter case (possible on the host), the exact one is meant.
    const auto& names = match->second;
    return std::find(names.begin(), names.end(), name) != names.end() ? name : names.front();
}

bool FolderIndex::holds(const std::string& winPath) {
    Folder* folder = nullptr;
    return !listedName(winPath, folder).empty();
}

std::optional<platform::FileStamp> FolderIndex::stamp(const std::string& winPath) {
    const auto [known, fresh] = stamps_.try_emplace(winPath);
    if (!fresh) {
        return known->second;
    }
    Folder* folder = nullptr;
    const std::string name = listedName(winPath, folder);
    platform::FileStamp stamp;
    if (!name.empty() && !folder->lookup->stamp(name, stamp)) {
        known->second = stamp;
    }
    return known->second;
}

} // namespace tolvane
