#include "platform/environment.h"

#include <climits>
#include <cstdlib>

#include <unistd.h>

namespace tolvane::platform {

std::string environmentVariable(std::string_view name) {
    const char* value = std::getenv(std::string(name).c_str());
    return value ? value : "";
}

void setEnvironmentVariable(std::string_view name, std::string_view value) {
    const std::string key(name);
    if (value.empty()) {
        ::unsetenv(key.c_str());
    } else {
        ::setenv(key.c_str(), std::string(value).c_str(), 1);
    }
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
