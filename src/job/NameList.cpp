#include "job/NameList.h"

namespace tolvane {

std::string listedNames(const std::vector<std::string>& names, std::string_view lineBreak) {
    std::string out;
    for (std::size_t i = 0; i < names.size() && i < kMostNamesListed; ++i) {
        out.append(lineBreak).append(names[i]);
    }
    if (names.size() > kMostNamesListed) {
        out.append(lineBreak).append("and " + std::to_string(names.size() - kMostNamesListed) +
                                     " more");
    }
    return out;
}

} // namespace tolvane
