#include "common/Module1.h"

#include "platform/registry.h"

namespace tolvane::Module1 {

std::string GetGameFolder(std::string_view registryPath) {
    try {
        return platform::readRegistryText(registryPath);
    } catch (...) {
        // The lookup never fails outward: any failure means "no game folder".
        return {};
    }
}

} // namespace tolvane::Module1
