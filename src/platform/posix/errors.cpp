#include "platform/posix/errors.h"

#include <cerrno>
#include <cstring>

namespace tolvane::platform {

int windowsCodeForErrno(int err) {
    switch (err) {
    case 0:
        return 0;
    case ENOENT:
        return kErrorFileNotFound;
    case ENOTDIR:
        return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return kErrorAccessDenied;
    case EMFILE:
    case ENFILE:
        return 4; // too many open files
    case ENOMEM:
        return 8;
    case EBUSY:
    case ETXTBSY:
        return 32; // sharing violation
    case EEXIST:
        return 183;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return 112; // disk full
    case ENAMETOOLONG:
        return 206;
    case ENOEXEC:
        return 193; // not a valid program
    case ENOTEMPTY:
        return 145;
    case EIO:
        return 1117;
    default:
        return 31; // a device attached to the system is not functioning
    }
}

SystemError errorFromErrno(int err) {
    if (err == 0) {
        return {};
    }
    return SystemError{windowsCodeForErrno(err), std::strerror(err)};
}

} // namespace tolvane::platform
