#include "job/FolderIndex.h"

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/winpath.h"

#include <vector>

namespace tolvane {

bool FolderIndex::holds(const std::string& winPath) {
    const auto [folder, fresh] = folders_.try_emplace(platform::parentOf(winPath));
    if (fresh) {
        std::vector<platform::FileInfo> entries;
        if (!platform::listFolderKinds(folder->first, entries)) {
            for (const auto& entry : entries) {
                if (!entry.isFolder) {
                    folder->second.insert(platform::foldCase(entry.name));
                }
            }
        }
    }
    return folder->second.count(platform::foldCase(platform::fileNameOf(winPath))) > 0;
}

} // namespace tolvane
