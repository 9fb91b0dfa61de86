#include "batchreader.h"

#include "platform/codepage.h"
#include "platform/posix/errors.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tolvane::cmd {

std::vector<BatchLine> splitBatch(std::string_view contents) {
    std::vector<BatchLine> lines;
    std::size_t start = 0;
    while (start < contents.size()) {
        std::size_t end = contents.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? contents.size() : end + 1;
        if (end == std::string_view::npos) {
            end = contents.size();
        }
        std::string_view line = contents.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        start = next;
        if (line.find_first_not_of(" \t") == std::string_view::npos) {
            continue;
        }
        lines.push_back(BatchLine{std::string(line), platform::narrowToUtf8(line)});
    }
    return lines;
}

platform::SystemError readBatchFile(const std::filesystem::path& hostPath, std::string& contents) {
    contents.clear();
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return platform::errorFromErrno(errno);
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            return platform::errorFromErrno(err);
        }
        if (n == 0) {
            break;
        }
        contents.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return {};
}

} // namespace tolvane::cmd
