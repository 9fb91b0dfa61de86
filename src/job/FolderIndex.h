#pragma once
// Which files a few folders hold, for looking up many names in them.

#include <map>
#include <set>
#include <string>

namespace tolvane {

// Looking up a name that is not there on its own reads its whole folder, since letter case does
// not count; for thousands of queued files that would read a big folder thousands of times.
// Here each folder is read once, when it is first asked about.
class FolderIndex {
public:
    // Whether a file of this Windows path's name, in any letter case, lies in its folder.
    bool holds(const std::string& winPath);

private:
    std::map<std::string, std::set<std::string>> folders_; // folded file names by folder
};

} // namespace tolvane
