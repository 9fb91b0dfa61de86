#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tolvane::platform {

// Reads one registry value the way a script's RegRead does: "HKEY_LOCAL_MACHINE\Key\Value",
// or with a trailing backslash for the key's default value. The hive may be written in full or
// abbreviated (HKLM, HKCU). The registry is read anew on every call, so a changed value counts at
// once. Every failure gives the empty string, without a message.
std::string readRegistryText(std::string_view fullPath);

enum class RegistryHive { LocalMachine, CurrentUser };

struct RegistryPath {
    RegistryHive hive = RegistryHive::LocalMachine;
    std::string_view key;   // below the hive, single backslashes
    std::string_view value; // empty for the key's default value
};

// Splits "HKEY_LOCAL_MACHINE\Key\Path\Value" into hive, key and value name; nothing for a hive
// this program does not read or a path without a key.
std::optional<RegistryPath> splitRegistryPath(std::string_view fullPath);

} // namespace tolvane::platform
