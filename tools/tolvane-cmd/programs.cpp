#include "programs.h"

#include "console.h"
#include "platform/hostpath.h"
#include "platform/posix/errors.h"
#include "platform/posix/spawn.h"
#include "platform/winpath.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Wine reads the arguments it is given in the character set of the locale, and file names come
// here in UTF-8: under another locale (LANG=C, or none) "\u00E9t\u00E9" would reach the game's
// tool as other letters, and the file would not be found.
void letWineReadUtf8() {
    const locale_t own = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    const bool utf8 = own && std::string_view(nl_langinfo_l(CODESET, own)) == "UTF-8";
    if (own) {
        freelocale(own);
    }
    if (!utf8) {
        ::setenv("LC_ALL", "C.UTF-8", 1);
    }
}

// wine as the shell would find it; looked up once per job.
const std::optional<fs::path>& wineProgram() {
    static const std::optional<fs::path> found = []() -> std::optional<fs::path> {
        std::string path;
        if (platform::findProgram("wine", path) != 0) {
            return std::nullopt;
        }
        letWineReadUtf8();
        return fs::path(path);
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

int exitCodeOf(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 1;
}

std::unique_ptr<RunningProgram> spawnWithPipe(const fs::path& executable,
                                              std::vector<std::string> arguments,
                                              LineOutput& output, int& errorlevel) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        output.err(windowsMessage(platform::windowsCodeForErrno(errno)) + "\r\n");
        errorlevel = 1;
        return nullptr;
    }
    // The program's end of the pipe blocks as an ordinary output does.
    ::fcntl(ends[1], F_SETFL, ::fcntl(ends[1], F_GETFL) & ~O_NONBLOCK);
    platform::SpawnRequest request;
    request.program = executable.string();
    request.arguments = std::move(arguments);
    // The program reads what we read; with our input closed it gets none.
    request.input = ::fcntl(STDIN_FILENO, F_GETFD) >= 0 ? STDIN_FILENO : -1;
    request.output = ends[1];
    // In the job's process group, so that stopping the job stops the program too, however many
    // lines run side by side.
    request.kind = platform::SpawnRequest::Kind::GroupChild;
    pid_t pid = 0;
    const int err = platform::spawnProcess(request, pid);
    ::close(ends[1]);
    if (err != 0) {
        ::close(ends[0]);
        output.err(windowsMessage(platform::windowsCodeForErrno(err)) + "\r\n");
        errorlevel = err == ENOENT ? kNotRecognized : 1;
        return nullptr;
    }
    return std::make_unique<RunningProgram>(pid, ends[0]);
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

RunningProgram::RunningProgram(pid_t pid, int readEnd) : pid_(pid), readEnd_(readEnd) {
    // Wakes a wait the moment the program ends, where the system offers it; else waits go in
    // short slices.
#ifdef SYS_pidfd_open
    ending_ = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#endif
}

RunningProgram::~RunningProgram() {
    ::close(readEnd_);
    if (ending_ >= 0) {
        ::close(ending_);
    }
}

// Once the program has ended, what it left in its pipe is read and no more: processes it leaves
// behind (Wine's system processes above all) keep the pipe's write end, and must hold neither
// this line nor the job's end.
bool RunningProgram::relay(LineOutput& output, bool mayRead) {
    char buffer[16384];
    // A program that writes without pause still lets the other lines' output be read.
    for (int reads = 0; reads < 16;) {
        if (!ended_) {
            const pid_t got = ::waitpid(pid_, &status_, WNOHANG);
            if (got == pid_ || (got < 0 && errno != EINTR)) {
                ended_ = true;
                drainBudget_ = outputClosed_ ? 0 : platform::drainLimit(readEnd_);
            }
        }
        if (ended_ && (outputClosed_ || drainBudget_ == 0)) {
            return true;
        }
        if (outputClosed_ || (!ended_ && !mayRead)) {
            return false;
        }
        const std::size_t wanted = ended_ ? std::min(drainBudget_, sizeof buffer) : sizeof buffer;
        const ssize_t n = ::read(readEnd_, buffer, wanted);
        if (n > 0) {
            output.out(std::string_view(buffer, static_cast<std::size_t>(n)));
            drainBudget_ -= ended_ ? static_cast<std::size_t>(n) : 0;
            ++reads;
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return ended_;
        }
        // Every writer has closed the output: nothing more to relay, only the end to await.
        outputClosed_ = true;
    }
    return false;
}

void RunningProgram::addWaits(std::vector<pollfd>& waits, bool mayRead) const {
    if (!outputClosed_ && (mayRead || ended_)) {
        waits.push_back({readEnd_, POLLIN, 0});
    }
    if (!ended_ && ending_ >= 0) {
        waits.push_back({ending_, POLLIN, 0});
    }
}

int RunningProgram::errorlevel() const {
    return exitCodeOf(status_);
}

std::variant<std::unique_ptr<RunningProgram>, int>
startProgram(const Program& program, const std::vector<std::string>& fields, LineOutput& output) {
    std::vector<std::string> arguments;
    arguments.reserve(fields.size() + 1);
    fs::path executable = program.host;
    if (program.isWindowsProgram) {
        const auto& wine = wineProgram();
        if (!wine) {
            output.err("'" + toConsole(program.windowsPath) +
                       "' is a Windows program, and wine was not found on PATH to run it.\r\n");
            return kNotRecognized;
        }
        // Wine understands Windows paths itself, so the line goes on as typed.
        executable = *wine;
        arguments.push_back("wine");
        arguments.push_back(program.windowsPath);
        arguments.insert(arguments.end(), fields.begin() + 1, fields.end());
    } else {
        arguments.push_back(program.host.string());
        for (std::size_t i = 1; i < fields.size(); ++i) {
            arguments.push_back(hostArgument(fields[i]));
        }
    }
    int errorlevel = 0;
    auto running = spawnWithPipe(executable, std::move(arguments), output, errorlevel);
    if (!running) {
        return errorlevel;
    }
    return running;
}

} // namespace tolvane::cmd
