#pragma once
// Names listed in a message box.

#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// At most this many names are listed, then "and N more", so that a box about thousands of files
// still fits on the screen with its buttons.
inline constexpr std::size_t kMostNamesListed = 20;

// Each name after a line break, up to the limit, then "and N more" after one more.
std::string listedNames(const std::vector<std::string>& names, std::string_view lineBreak = "\r\n");

} // namespace tolvane
