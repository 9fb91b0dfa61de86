#include "programs.h"

#include "console.h"
#include "platform/hostpath.h"
#include "platform/posix/errors.h"
#include "platform/winpath.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tolvane::cmd {
namespace fs = std::filesystem;

namespace {

bool isRegularFile(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool startsWithMz(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    char head[2] = {};
    const bool mz = ::read(fd, head, 2) == 2 && head[0] == 'M' && head[1] == 'Z';
    ::close(fd);
    return mz;
}

// wine as the shell would find it; looked up once per job.
const std::optional<fs::path>& wineProgram() {
    static const std::optional<fs::path> found = []() -> std::optional<fs::path> {
        const char* path = std::getenv("PATH");
        std::string_view rest = path ? path : "";
        while (true) {
            const std::size_t colon = rest.find(':');
            std::string_view dir = rest.substr(0, colon);
            fs::path candidate = fs::path(dir.empty() ? "." : std::string(dir)) / "wine";
            if (::access(candidate.c_str(), X_OK) == 0 && isRegularFile(candidate)) {
                return candidate;
            }
            if (colon == std::string_view::npos) {
                return std::nullopt;
            }
            rest.remove_prefix(colon + 1);
        }
    }();
    return found;
}

std::string hostArgument(const std::string& field) {
    if (isAbsoluteWindowsPath(field)) {
        if (auto host = platform::toHostPath(field)) {
            return host->string();
        }
    }
    return field;
}

int spawnAndWait(const fs::path& executable, std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (auto& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int err = ::posix_spawn(&pid, executable.c_str(), nullptr, nullptr, argv.data(), environ);
    if (err != 0) {
        const int code = platform::windowsCodeForErrno(err);
        writeErr(windowsMessage(code) + "\r\n");
        return err == ENOENT ? kNotRecognized : 1;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return 1;
        }
    }
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 1;
}

} // namespace

std::optional<Program> findProgram(const std::string& field, const WorkingFolder& folder) {
    std::vector<std::string> candidates;
    if (platform::fileNameOf(field).find('.') == std::string::npos) {
        candidates.push_back(field + ".exe");
    }
    candidates.push_back(field);
    for (const auto& candidate : candidates) {
        auto host = folder.resolve(candidate);
        if (host && isRegularFile(*host)) {
            return Program{*host, candidate, startsWithMz(*host)};
        }
    }
    return std::nullopt;
}

std::optional<Program> ProgramFinder::find(const std::string& field) {
    struct stat info {};
    auto it = known_.find(field);
    if (it != known_.end()) {
        const Known& known = it->second;
        if (::stat(known.program.host.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            info.st_dev == known.device && info.st_ino == known.inode &&
            info.st_size == known.size && info.st_mtim.tv_sec == known.modified.tv_sec &&
            info.st_mtim.tv_nsec == known.modified.tv_nsec) {
            return known.program;
        }
        known_.erase(it);
    }
    auto program = findProgram(field, folder_);
    if (program && ::stat(program->host.c_str(), &info) == 0) {
        known_[field] = Known{*program, info.st_dev, info.st_ino, info.st_size, info.st_mtim};
    }
    return program;
}

int runProgram(const Program& program, const std::vector<std::string>& fields) {
    std::vector<std::string> arguments;
    arguments.reserve(fields.size() + 1);
    if (program.isWindowsProgram) {
        const auto& wine = wineProgram();
        if (!wine) {
            writeErr("'" + toConsole(program.windowsPath) +
                     "' is a Windows program, and wine was not found on PATH to run it.\r\n");
            return kNotRecognized;
        }
        // Wine understands Windows paths itself, so the line goes on as typed.
        arguments.push_back("wine");
        arguments.push_back(program.windowsPath);
        arguments.insert(arguments.end(), fields.begin() + 1, fields.end());
        return spawnAndWait(*wine, arguments);
    }
    arguments.push_back(program.host.string());
    for (std::size_t i = 1; i < fields.size(); ++i) {
        arguments.push_back(hostArgument(fields[i]));
    }
    return spawnAndWait(program.host, arguments);
}

} // namespace tolvane::cmd
