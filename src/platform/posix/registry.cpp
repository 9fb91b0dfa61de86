#include "platform/registry.h"

#include "platform/posix/wineprefix.h"
#include "platform/regfile.h"

#include <fstream>
#include <sstream>

namespace tolvane::platform {

std::string readRegistryText(std::string_view fullPath) {
    const auto path = splitRegistryPath(fullPath);
    if (!path) {
        return {};
    }
    const char* file = path->hive == RegistryHive::LocalMachine ? "system.reg" : "user.reg";

    auto prefix = WinePrefix::fromEnvironment();
    if (!prefix) {
        return {};
    }
    std::ifstream in(prefix->root() / file, std::ios::binary);
    if (!in) {
        return {};
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!in && !in.eof()) {
        return {};
    }
    return findRegistryText(text.str(), path->key, path->value).value_or(std::string{});
}

} // namespace tolvane::platform
