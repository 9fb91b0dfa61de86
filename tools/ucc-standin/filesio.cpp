#include "filesio.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace tolvane::standin {

namespace {

std::string systemReason(int error) {
    return std::generic_category().message(error);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

int processId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

} // namespace

bool readWholeFile(const fs::path& path, std::size_t maxSize, uz::Bytes& bytes,
                   std::string& error) {
    std::error_code code;
    if (fs::is_directory(path, code)) {
        error = "is a folder, not a file";
        return false;
    }
    FileHandle file(std::fopen(path.string().c_str(), "rb"));
    if (!file) {
        error = systemReason(errno);
        return false;
    }
    bytes.clear();
    std::uint8_t chunk[1 << 16];
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        if (bytes.size() + got > maxSize) {
            error = "the file is too large";
            return false;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (got < sizeof chunk) {
            break;
        }
    }
    if (std::ferror(file.get())) {
        error = systemReason(errno);
        return false;
    }
    return true;
}

// The temporary file's name: the target's, so a leftover can be told apart, but cut short enough
// that the name with its additions still fits the file system's limit of 255 bytes whenever the
// target's own name does. The cut never splits a UTF-8 character.
std::string temporaryName(const std::string& targetName) {
    constexpr std::size_t kKeptBytes = 200;
    std::size_t kept = std::min(targetName.size(), kKeptBytes);
    while (kept > 0 && kept < targetName.size() &&
           (static_cast<unsigned char>(targetName[kept]) & 0xc0) == 0x80) {
        --kept;
    }
    return "." + targetName.substr(0, kept) + "." + std::to_string(processId()) + ".tmp";
}

bool writeFileAtomically(const fs::path& target, const uz::Bytes& bytes, std::string& error) {
    const fs::path temporary = target.parent_path() / temporaryName(target.filename().string());
    FileHandle file(std::fopen(temporary.string().c_str(), "wbx"));
    if (!file) {
        error =
            "cannot create a file in " + target.parent_path().string() + ": " + systemReason(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
                         std::fflush(file.get()) == 0;
    const int writeError = errno;
    const bool closed = std::fclose(file.release()) == 0;
    std::error_code code;
    if (!written || !closed) {
        error = "cannot write " + target.string() + ": " + systemReason(writeError);
        fs::remove(temporary, code);
        return false;
    }
    fs::rename(temporary, target, code);
    if (code) {
        error = "cannot write " + target.string() + ": " + code.message();
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

namespace {
fs::path executablePath() {
#ifdef _WIN32
    wchar_t buffer[32768];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
    return fs::path(std::wstring(buffer, length));
#else
    std::error_code code;
    const fs::path self = fs::read_symlink("/proc/self/exe", code);
    return code ? fs::current_path() / "ucc-standin" : self;
#endif
}
} // namespace

fs::path executableFolder() {
    return executablePath().parent_path();
}

fs::path executableName() {
    return executablePath().filename();
}

} // namespace tolvane::standin
