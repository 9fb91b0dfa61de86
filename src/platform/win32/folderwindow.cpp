#include "platform/folderwindow.h"

#include "platform/win32/wide.h"

#include <windows.h>

namespace tolvane::platform {

std::string defaultFolderWindowProgram() {
    wchar_t self[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    path = path.substr(0, path.find_last_of(L'\\') + 1) + L"tolvane-folder.exe";
    return narrowToUtf8Wide(path);
}

DetachedFolderWindowLauncher::DetachedFolderWindowLauncher(std::string program)
    : program_(program.empty() ? defaultFolderWindowProgram() : std::move(program)) {}

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
