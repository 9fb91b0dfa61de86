#include "platform/files.h"

#include "platform/codepage.h"
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

SystemError writeTextFile(std::string_view winPath, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines) {
        auto narrow = utf8ToNarrow(line);
        if (!narrow) {
            return SystemError{kErrorNoTranslation,
                               "No mapping for the Unicode character exists in the target "
                               "multi-byte code page."};
        }
        bytes += *narrow;
        bytes += "\r\n";
    }
    return writeFileBytes(winPath, bytes);
}

} // namespace tolvane::platform
