#pragma once
// Opening a folder window: a separate program that shows one folder's contents in a window of
// its own, which lives on when this program ends.

#include "platform/files.h"

#include <string>

namespace tolvane::platform {

class FolderWindowLauncher {
public:
    virtual ~FolderWindowLauncher() = default;
    // Opens a new window on the folder (a Windows path) and returns once the window program has
    // started; every call opens another window. Fails when the program cannot be started.
    virtual SystemError open(const std::string& winPath) = 0;
};

// Starts the folder window program detached: in a session of its own, not a child of this
// process (so it never lingers as a zombie and is not ended with us), with no standard streams
// and no inherited descriptors, and with this process's environment (the Wine prefix included).
class DetachedFolderWindowLauncher : public FolderWindowLauncher {
public:
    explicit DetachedFolderWindowLauncher(std::string program);

    SystemError open(const std::string& winPath) override;
    // As open(), also giving the started program's process id.
    SystemError start(const std::string& winPath, int* processId);

    const std::string& program() const { return program_; }

private:
    std::string program_;
};

} // namespace tolvane::platform
