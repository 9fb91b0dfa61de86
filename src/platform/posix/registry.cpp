#include "platform/registry.h"

#include "platform/codepage.h"
#include "platform/posix/wineprefix.h"
#include "platform/regfile.h"

#include <fstream>
#include <sstream>

namespace tolvane::platform {

std::string readRegistryText(std::string_view fullPath) {
    auto firstSeparator = fullPath.find('\\');
    auto lastSeparator = fullPath.rfind('\\');
    if (firstSeparator == std::string_view::npos || lastSeparator == firstSeparator) {
        return {};
    }
    std::string hive = foldCase(fullPath.substr(0, firstSeparator));
    const char* file = nullptr;
    if (hive == "hkey_local_machine" || hive == "hklm") {
        file = "system.reg";
    } else if (hive == "hkey_current_user" || hive == "hkcu") {
        file = "user.reg";
    } else {
        return {};
    }
    auto key = fullPath.substr(firstSeparator + 1, lastSeparator - firstSeparator - 1);
    auto value = fullPath.substr(lastSeparator + 1);

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
    return findRegistryText(text.str(), key, value).value_or(std::string{});
}

} // namespace tolvane::platform
