#include "move.h"

#include "console.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/posix/errors.h"
#include "platform/winpath.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::cmd {
namespace fs = std::filesystem;

namespace {

constexpr int kErrorNotSameDevice = 17;

int fail(int windowsCode) {
    writeErr(windowsMessage(windowsCode) + "\r\n");
    return 1;
}

// The temporary file's name for mkostemp: the target's name, cut short enough (never inside a
// UTF-8 character) that the additions still fit the limit of 255 bytes a name may have.
std::string temporaryPattern(const std::string& targetName) {
    constexpr std::size_t kKeptBytes = 200;
    std::size_t kept = std::min(targetName.size(), kKeptBytes);
    while (kept > 0 && kept < targetName.size() &&
           (static_cast<unsigned char>(targetName[kept]) & 0xc0) == 0x80) {
        --kept;
    }
    return "." + targetName.substr(0, kept) + ".XXXXXX";
}

// Copies the bytes to a temporary file beside the target, which then takes the target's name,
// so the target is never seen half written; the source goes last.
int copyAcross(const fs::path& source, const fs::path& target, mode_t mode) {
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        return errno;
    }
    std::string pattern = target.parent_path() / temporaryPattern(target.filename().string());
    const int out = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (out < 0) {
        const int err = errno;
        ::close(in);
        return err;
    }
    int err = 0;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            err = n < 0 ? errno : 0;
            break;
        }
        for (ssize_t done = 0; done < n && err == 0;) {
            const ssize_t w = ::write(out, buffer + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno != EINTR) {
                err = errno;
            } else if (w > 0) {
                done += w;
            }
        }
        if (err) {
            break;
        }
    }
    ::close(in);
    if (err == 0 && ::fchmod(out, mode & 07777) != 0) {
        err = errno;
    }
    if (::close(out) != 0 && err == 0) {
        err = errno;
    }
    if (err == 0 && ::rename(pattern.c_str(), target.c_str()) != 0) {
        err = errno;
    }
    if (err != 0) {
        ::unlink(pattern.c_str());
        return err;
    }
    return ::unlink(source.c_str()) == 0 ? 0 : errno;
}

} // namespace

int moveCommand(const std::vector<std::string>& arguments, const WorkingFolder& folder) {
    std::vector<std::string> paths;
    for (const auto& argument : arguments) {
        if (platform::equalsIgnoringCase(argument, "/Y") ||
            platform::equalsIgnoringCase(argument, "/-Y")) {
            continue;
        }
        paths.push_back(argument);
    }
    if (paths.size() != 2) {
        writeErr("The syntax of the command is incorrect.\r\n");
        return 1;
    }

    auto source = folder.resolve(paths[0]);
    if (!source) {
        return fail(platform::kErrorPathNotFound);
    }
    struct stat sourceInfo {};
    if (::lstat(source->c_str(), &sourceInfo) != 0) {
        return fail(platform::windowsCodeForErrno(errno));
    }
    auto target = folder.resolve(paths[1]);
    if (!target) {
        return fail(platform::kErrorPathNotFound);
    }
    struct stat targetInfo {};
    if (::stat(target->c_str(), &targetInfo) == 0 && S_ISDIR(targetInfo.st_mode)) {
        // Through the Windows path again, so a file there in another letter case is replaced
        // rather than joined by a twin.
        target = folder.resolve(platform::joinFolder(paths[1], source->filename().string()));
        if (!target) {
            return fail(platform::kErrorPathNotFound);
        }
    }

    const bool isFolder = S_ISDIR(sourceInfo.st_mode);
    if (::lstat(target->c_str(), &targetInfo) == 0) {
        const bool same =
            targetInfo.st_dev == sourceInfo.st_dev && targetInfo.st_ino == sourceInfo.st_ino;
        if (!same && (isFolder || S_ISDIR(targetInfo.st_mode))) {
            return fail(platform::kErrorAccessDenied);
        }
    }

    int err = ::rename(source->c_str(), target->c_str()) == 0 ? 0 : errno;
    if (err == EXDEV) {
        if (isFolder) {
            return fail(kErrorNotSameDevice);
        }
        err = copyAcross(*source, *target, sourceInfo.st_mode);
    }
    if (err == ENOENT) {
        // The source was there a moment ago, so what is missing is the target's folder.
        return fail(platform::kErrorPathNotFound);
    }
    if (err != 0) {
        return fail(platform::windowsCodeForErrno(err));
    }
    writeOut(isFolder ? "        1 dir(s) moved.\r\n" : "        1 file(s) moved.\r\n");
    return 0;
}

} // namespace tolvane::cmd
