#pragma once
// Folder windows that tests only record, so no window program is ever started by a test.

#include "platform/folderwindow.h"

#include <vector>

namespace tolvane::test {

struct RecordingFolderWindows : platform::FolderWindowLauncher {
    platform::SystemError open(const std::string& winPath) override {
        opened.push_back(winPath);
        return failure;
    }
    std::vector<std::string> opened;
    platform::SystemError failure; // returned by every call; none by default
};

} // namespace tolvane::test
