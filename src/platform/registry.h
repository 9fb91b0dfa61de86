#pragma once

#include <string>
#include <string_view>

namespace tolvane::platform {

// Reads one registry value the way a script's RegRead does: "HKEY_LOCAL_MACHINE\Key\Value",
// or with a trailing backslash for the key's default value. The hive may be written in full or
// abbreviated (HKLM, HKCU). The registry is read anew on every call, so a changed value counts at
// once. Every failure gives the empty string, without a message.
std::string readRegistryText(std::string_view fullPath);

} // namespace tolvane::platform
