#pragma once
// Which files a few folders hold, for looking up many names in them.

#include "platform/files.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tolvane {

// Looking up a name that is not there on its own reads its whole folder, since letter case does
// not count; for thousands of queued files that would read a big folder thousands of times, and
// find the folder on the host again for every file. Here each folder is read and found once,
// when it is first asked about.
class FolderIndex {
public:
    // Whether a file of this Windows path's name, in any letter case, lies in its folder.
    bool holds(const std::string& winPath);
    // The stamp of that file; nothing when there is none. Each path's file is looked at once:
    // the checks at the end of a job ask about every result more than once.
    std::optional<platform::FileStamp> stamp(const std::string& winPath);

private:
    struct Folder {
        std::unique_ptr<platform::FolderLookup> lookup;
        std::unordered_map<std::string, std::vector<std::string>> files; // listed, by folded name
    };
    // The name as listed of the file a Windows path names; empty when there is none.
    std::string listedName(const std::string& winPath, Folder*& folder);

    std::map<std::string, Folder> folders_;
    std::map<std::string, Folder*, std::less<>> byPathText_; // by the path text before a name
    std::unordered_map<std::string, std::optional<platform::FileStamp>> stamps_; // by path text
};

} // namespace tolvane
