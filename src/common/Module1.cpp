#include "common/Module1.h"

#include "platform/hostpath.h"
#include "platform/registry.h"

namespace tolvane::Module1 {

namespace {

// Set once the window knows where the game is; the registry's value until then.
std::optional<GameLocation>& currentLocation() {
    static std::optional<GameLocation> location;
    return location;
}

} // namespace

std::string GetGameFolder(std::string_view registryPath) {
    if (const auto& location = currentLocation(); location && !location->fromRegistry) {
        return location->folder;
    }
    try {
        return platform::readRegistryText(registryPath);
    } catch (...) {
        // The lookup never fails outward: any failure means "no game folder".
        return {};
    }
}

void setGameLocation(const GameLocation& location) {
    platform::selectDrives(location.winePrefix);
    currentLocation() = location;
}

} // namespace tolvane::Module1
