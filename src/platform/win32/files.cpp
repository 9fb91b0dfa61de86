#include "platform/files.h"

#include "platform/codepage.h"
#include "platform/win32/wide.h"

#include <windows.h>

namespace tolvane::platform {

namespace {

SystemError lastError() {
    DWORD code = GetLastError();
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = text ? narrowToUtf8Wide(text) : std::string("Unknown error.");
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return SystemError{static_cast<int>(code ? code : 1), message};
}

std::int64_t unixSeconds(FILETIME ft) {
    ULARGE_INTEGER value;
    value.LowPart = ft.dwLowDateTime;
    value.HighPart = ft.dwHighDateTime;
    return static_cast<std::int64_t>(value.QuadPart / 10000000ULL) - 11644473600LL;
}

FileInfo infoFrom(const WIN32_FIND_DATAW& data) {
    FileInfo info;
    info.name = narrowToUtf8Wide(data.cFileName);
    info.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info.hidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    info.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    info.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    info.modified = unixSeconds(data.ftLastWriteTime);
    return info;
}

} // namespace

bool folderExists(std::string_view winPath) {
    DWORD attributes = GetFileAttributesW(widen(winPath).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool fileExists(std::string_view winPath) {
    DWORD attributes = GetFileAttributesW(widen(winPath).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

SystemError stampFile(std::string_view winPath, FileStamp& stamp) {
    // Opened for its attributes only, sharing everything, so a running job is not disturbed.
    HANDLE file = CreateFileW(widen(winPath).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return lastError();
    }
    BY_HANDLE_FILE_INFORMATION data;
    const bool known = GetFileInformationByHandle(file, &data) != 0;
    SystemError error = known ? SystemError{} : lastError();
    CloseHandle(file);
    if (error) {
        return error;
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        return SystemError{kErrorAccessDenied, "Access is denied."};
    }
    ULARGE_INTEGER written;
    written.LowPart = data.ftLastWriteTime.dwLowDateTime;
    written.HighPart = data.ftLastWriteTime.dwHighDateTime;
    stamp.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.modifiedNs = (static_cast<std::int64_t>(written.QuadPart) - 116444736000000000LL) * 100;
    stamp.volume = data.dwVolumeSerialNumber;
    stamp.fileNumber = (static_cast<std::uint64_t>(data.nFileIndexHigh) << 32) | data.nFileIndexLow;
    return {};
}

SystemError createFolder(std::string_view winPath) {
    if (!CreateDirectoryW(widen(winPath).c_str(), nullptr)) {
        return lastError();
    }
    return {};
}

SystemError writeFileBytes(std::string_view winPath, std::string_view bytes) {
    std::wstring target = widen(winPath);
    std::wstring temporary = target + L".tmp";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return lastError();
    }
    SystemError error;
    DWORD written = 0;
    if (!bytes.empty() &&
        (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
         written != bytes.size())) {
        error = lastError();
    }
    CloseHandle(file);
    if (!error && !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        error = lastError();
    }
    if (error) {
        DeleteFileW(temporary.c_str());
    }
    return error;
}

SystemError deleteFile(std::string_view winPath, bool force) {
    std::wstring path = widen(winPath);
    if (force) {
        DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
            SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        }
    }
    if (!DeleteFileW(path.c_str())) {
        return lastError();
    }
    return {};
}

SystemError listFolder(std::string_view winPath, std::vector<FileInfo>& entries) {
    std::wstring pattern = widen(winPath);
    if (!pattern.empty() && pattern.back() != L'\\') {
        pattern += L'\\';
    }
    pattern += L'*';
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return lastError();
    }
    do {
        std::wstring_view name(data.cFileName);
        if (name != L"." && name != L"..") {
            entries.push_back(infoFrom(data));
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return {};
}

} // namespace tolvane::platform

namespace tolvane::platform {

// FindFirstFile already tells folders from files, so the quick listing is the full one.
SystemError listFolderKinds(std::string_view winPath, std::vector<FileInfo>& entries) {
    return listFolder(winPath, entries);
}

// Windows finds a path's folder quickly by itself; only the listing is kept.
FolderLookup::FolderLookup(std::string_view winPath) : winPath_(winPath) {
    if (listFolder(winPath_, entries_)) {
        entries_.clear();
    }
}

FolderLookup::~FolderLookup() = default;

SystemError FolderLookup::stamp(const std::string& name, FileStamp& stamp) const {
    const bool rooted = !winPath_.empty() && winPath_.back() == '\\';
    return stampFile(winPath_ + (rooted ? "" : "\\") + name, stamp);
}

} // namespace tolvane::platform
