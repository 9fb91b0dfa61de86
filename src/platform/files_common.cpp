#include "platform/files.h"

#include "platform/winpath.h"

namespace tolvane::platform {

std::string nearestExistingFolder(std::string_view winPath) {
    for (std::string candidate = normalizeWinPath(winPath); !candidate.empty();
         candidate = parentOf(candidate)) {
        if (folderExists(candidate)) {
            return candidate;
        }
    }
    return {};
}

} // namespace tolvane::platform
