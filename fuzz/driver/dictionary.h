#pragma once
// Dictionaries in libFuzzer's format, so one file serves both drivers: one token per line as
// "text" or name="text", with \\, \" and \xNN escapes; blank lines and # comments are skipped.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::fuzz {

// Nothing when a line is malformed; `badLine` then holds its number.
std::optional<std::vector<std::string>> parseDictionary(std::string_view text, int* badLine);

} // namespace tolvane::fuzz
