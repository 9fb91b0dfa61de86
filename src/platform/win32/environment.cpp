#include "platform/environment.h"

#include "platform/win32/wide.h"

#include <windows.h>

#include <cstdlib>

namespace tolvane::platform {

std::string environmentVariable(std::string_view name) {
    const std::wstring wideName = widen(name);
    const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0) {
        return {};
    }
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
    value.resize(length < size ? length : 0);
    return narrowToUtf8Wide(value);
}

void setEnvironmentVariable(std::string_view name, std::string_view value) {
    // The C runtime's copy is what getenv reads; the process's is what programs started inherit.
    const std::wstring wideName = widen(name);
    const std::wstring wideValue = widen(value);
    SetEnvironmentVariableW(wideName.c_str(), value.empty() ? nullptr : wideValue.c_str());
    _wputenv_s(wideName.c_str(), wideValue.c_str());
}

std::string ownProgramFolder() {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    std::wstring path(self, length);
    path.erase(path.find_last_of(L'\\') + 1);
    return narrowToUtf8Wide(path);
}

} // namespace tolvane::platform
