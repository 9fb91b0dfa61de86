#include "platform/registry.h"

#include "platform/posix/wineprefix.h"

namespace tolvane::platform {

std::string readRegistryText(std::string_view fullPath) {
    const auto prefix = WinePrefix::fromEnvironment();
    return prefix ? prefix->registryText(fullPath) : std::string{};
}

} // namespace tolvane::platform
