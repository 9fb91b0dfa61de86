#pragma once
// The file operations the program needs, on Windows paths.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::platform {

// A failed operation: the Windows error code (2 file not found, 3 path not found, 5 access
// denied, 112 disk full, ...) and the system's own words for it. Code 0 is success.
struct SystemError {
    int code = 0;
    std::string message;
    explicit operator bool() const { return code != 0; }
};

constexpr int kErrorFileNotFound = 2;
constexpr int kErrorPathNotFound = 3;
constexpr int kErrorAccessDenied = 5;

struct FileInfo {
    std::string name;
    bool isFolder = false;
    bool hidden = false;
    bool readOnly = false;
    std::uint64_t size = 0;
    std::int64_t modified = 0; // seconds since 1970
};

// What a file is at one moment, exactly enough to tell afterwards whether it was written or
// replaced since: its size, its modification time as finely as the file system keeps it, and
// its identity (the volume and the file's number on it).
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0; // nanoseconds since 1970
    std::uint64_t volume = 0;
    std::uint64_t fileNumber = 0;
    bool operator==(const FileStamp&) const = default;
};

bool folderExists(std::string_view winPath);
bool fileExists(std::string_view winPath);

// The stamp of the file at the path; fails when there is none (a folder is no file).
SystemError stampFile(std::string_view winPath, FileStamp& stamp);

// Creates one folder; its parent must exist.
SystemError createFolder(std::string_view winPath);

// Writes the bytes to a file, replacing a file of the same name in any letter case. The bytes go
// to a temporary file beside it first, which then takes the name, so that a failed write (disk
// full, no access) never leaves a half-written file under that name.
SystemError writeFileBytes(std::string_view winPath, std::string_view bytes);

// Deletes a file. Without `force` a read-only file is refused, as on Windows.
SystemError deleteFile(std::string_view winPath, bool force);

// The entries of a folder (without "." and ".."), in no particular order.
SystemError listFolder(std::string_view winPath, std::vector<FileInfo>& entries);

// As listFolder, but only the name, the folder flag and the hidden flag are filled in. Much
// cheaper for big folders where the host needs a call per entry for the other facts.
SystemError listFolderKinds(std::string_view winPath, std::vector<FileInfo>& entries);

// One folder, read once and then asked about many of its files: the host finds the folder once
// for all of them, not once for every file looked up.
class FolderLookup {
public:
    explicit FolderLookup(std::string_view winPath);
    ~FolderLookup();
    FolderLookup(const FolderLookup&) = delete;
    FolderLookup& operator=(const FolderLookup&) = delete;

    // The entries as listFolderKinds gives them; none when the folder cannot be read.
    const std::vector<FileInfo>& entries() const { return entries_; }
    // The stamp of one of its files, by its name as listed.
    SystemError stamp(const std::string& name, FileStamp& stamp) const;

private:
    std::string winPath_;
    std::vector<FileInfo> entries_;
    int folder_ = -1; // where the host keeps the folder open to look names up in it
};

} // namespace tolvane::platform

namespace tolvane::platform {

// The folder itself when it exists, else the nearest folder above it that does; empty when not
// even the drive exists.
std::string nearestExistingFolder(std::string_view winPath);

} // namespace tolvane::platform
