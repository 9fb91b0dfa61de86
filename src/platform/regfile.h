#pragma once
// Reader for Wine's text registry files (system.reg, user.reg).

#include <optional>
#include <string>
#include <string_view>

namespace tolvane::platform {

// Looks up one value in the text of a registry file. `key` is relative to the hive, with single
// backslashes ("Software\Vendor\Key"); `valueName` is empty for the key's default value. Names
// compare without regard to letter case. In a file marked #arch=win64, keys under Software\ are
// looked up under Software\Wow6432Node\ first, since a 32-bit program sees that view.
//
// Returns the text of a string value (REG_SZ, REG_EXPAND_SZ) or the decimal text of a DWORD.
// Returns nothing for any other type, a missing key or value, or a file that is not a registry
// file or is damaged where the value stands.
std::optional<std::string> findRegistryText(std::string_view fileText, std::string_view key,
                                            std::string_view valueName);

} // namespace tolvane::platform
