#include "filesio.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include "platform/win32/wide.h"

#include <io.h>
#include <process.h>
#include <shellapi.h>
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

std::FILE* openForReading(const fs::path& path) {
#ifdef _WIN32
    return _wfopen(path.c_str(), L"rb");
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

// Creates the file only when no file of that name exists, so that nothing the tool did not make
// is ever written over. The C library's "x" mode does this too, but the Windows one rejects it.
std::FILE* createNewFile(const fs::path& path) {
#ifdef _WIN32
    const int fd =
        _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    std::FILE* file = fd < 0 ? nullptr : _fdopen(fd, "wb");
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "wb");
#endif
    if (fd >= 0 && !file) {
        const int error = errno;
#ifdef _WIN32
        _close(fd);
#else
        ::close(fd);
#endif
        std::error_code ignored;
        fs::remove(path, ignored);
        errno = error;
    }
    return file;
}

} // namespace

bool readWholeFile(const fs::path& path, std::size_t maxSize, uz::Bytes& bytes,
                   std::string& error) {
    std::error_code code;
    if (fs::is_directory(path, code)) {
        error = "is a folder, not a file";
        return false;
    }
    FileHandle file(openForReading(path));
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
    const fs::path temporary =
        target.parent_path() / pathFromUtf8(temporaryName(utf8Of(target.filename())));
    FileHandle file(createNewFile(temporary));
    if (!file) {
        error =
            "cannot create a file in " + utf8Of(target.parent_path()) + ": " + systemReason(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
                         std::fflush(file.get()) == 0;
    const int writeError = errno;
    const bool closed = std::fclose(file.release()) == 0;
    std::error_code code;
    if (!written || !closed) {
        error = "cannot write " + utf8Of(target) + ": " + systemReason(writeError);
        fs::remove(temporary, code);
        return false;
    }
    fs::rename(temporary, target, code);
    if (code) {
        error = "cannot write " + utf8Of(target) + ": " + code.message();
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

fs::path pathFromUtf8(const std::string& text) {
#ifdef _WIN32
    return fs::path(platform::widen(text));
#else
    return fs::path(text);
#endif
}

std::string utf8Of(const fs::path& path) {
#ifdef _WIN32
    return platform::narrowToUtf8Wide(path.native());
#else
    return path.native();
#endif
}

std::vector<std::string> commandArguments(int argc, char** argv) {
#ifdef _WIN32
    // The narrow arguments are in the ANSI code page, which cannot hold every file name.
    (void)argc;
    (void)argv;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> out;
    for (int i = 1; wide && i < count; ++i) {
        out.push_back(platform::narrowToUtf8Wide(wide[i]));
    }
    LocalFree(wide);
    return out;
#else
    return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

fs::path executableFolder() {
    return executablePath().parent_path();
}

fs::path executableName() {
    return executablePath().filename();
}

} // namespace tolvane::standin
