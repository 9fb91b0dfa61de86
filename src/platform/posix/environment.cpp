#include "platform/environment.h"

#include <climits>
#include <cstdlib>

#include <unistd.h>

namespace tolvane::platform {

std::string environmentVariable(std::string_view name) {
    const char* value = std::getenv(std::string(name).c_str());
    return value ? value : "";
}

std::string ownProgramFolder() {
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return {};
    }
    std::string path(self, static_cast<std::size_t>(length));
    path.erase(path.rfind('/') + 1);
    return path;
}

} // namespace tolvane::platform
