#include "console.h"

#include "platform/codepage.h"

#include <cerrno>
#include <unistd.h>

namespace tolvane::cmd {

namespace {

void writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

} // namespace

void writeOut(std::string_view bytes) {
    writeAll(STDOUT_FILENO, bytes);
}

void writeErr(std::string_view bytes) {
    writeAll(STDERR_FILENO, bytes);
}

std::string toConsole(std::string_view utf8) {
    if (auto narrow = platform::utf8ToNarrow(utf8)) {
        return *narrow;
    }
    std::string out;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::string one;
        platform::appendUtf8(one, platform::decodeUtf8(utf8, pos));
        auto narrow = platform::utf8ToNarrow(one);
        out += narrow ? *narrow : std::string("?");
    }
    return out;
}

std::string windowsMessage(int code) {
    switch (code) {
    case 2:
        return "The system cannot find the file specified.";
    case 3:
        return "The system cannot find the path specified.";
    case 5:
        return "Access is denied.";
    case 8:
        return "Not enough memory resources are available to process this command.";
    case 17:
        return "The system cannot move the file to a different disk drive.";
    case 32:
        return "The process cannot access the file because it is being used by another process.";
    case 112:
        return "There is not enough space on the disk.";
    case 145:
        return "The directory is not empty.";
    case 183:
        return "Cannot create a file when that file already exists.";
    case 193:
        return "The system cannot execute the specified program.";
    case 206:
        return "The filename or extension is too long.";
    case 1117:
        return "The request could not be performed because of an I/O device error.";
    default:
        return "A device attached to the system is not functioning.";
    }
}

std::string notRecognized(std::string_view nameUtf8) {
    return "'" + toConsole(nameUtf8) +
           "' is not recognized as an internal or external command,\r\n"
           "operable program or batch file.\r\n";
}

void reportNotRecognized(std::string_view nameUtf8) {
    writeErr(notRecognized(nameUtf8));
}

} // namespace tolvane::cmd
