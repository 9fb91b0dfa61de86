#include "platform/folderwindow.h"

#include "platform/win32/wide.h"

#include <windows.h>

namespace tolvane::platform {

DetachedFolderWindowLauncher::DetachedFolderWindowLauncher(std::string program)
    : program_(std::move(program)) {}

SystemError DetachedFolderWindowLauncher::open(const std::string& winPath) {
    return start(winPath, nullptr);
}

SystemError DetachedFolderWindowLauncher::start(const std::string& winPath, int* processId) {
    std::wstring commandLine = L"\"" + widen(program_) + L"\" \"" + widen(winPath) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                        DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup,
                        &process)) {
        DWORD code = GetLastError();
        return SystemError{static_cast<int>(code),
                           "The folder window program " + program_ + " could not be started."};
    }
    if (processId) {
        *processId = static_cast<int>(process.dwProcessId);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return {};
}

} // namespace tolvane::platform
