#include "platform/registry.h"

#include "platform/win32/wide.h"

#include <windows.h>

namespace tolvane::platform {

std::string readRegistryText(std::string_view fullPath) {
    const auto path = splitRegistryPath(fullPath);
    if (!path) {
        return {};
    }
    HKEY root = path->hive == RegistryHive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    std::wstring key = widen(path->key);
    std::wstring value = widen(path->value);
    const DWORD flags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND | RRF_RT_REG_DWORD |
                        RRF_SUBKEY_WOW6432KEY;
    DWORD type = 0;
    DWORD size = 0;
    if (RegGetValueW(root, key.c_str(), value.c_str(), flags, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    if (type == REG_DWORD) {
        DWORD number = 0;
        size = sizeof(number);
        if (RegGetValueW(root, key.c_str(), value.c_str(), flags, &type, &number, &size) !=
            ERROR_SUCCESS) {
            return {};
        }
        return std::to_string(static_cast<long>(static_cast<LONG>(number)));
    }
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    if (RegGetValueW(root, key.c_str(), value.c_str(), flags, &type, data.data(), &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    data.resize(wcsnlen(data.c_str(), data.size()));
    return narrowToUtf8Wide(data);
}

} // namespace tolvane::platform
