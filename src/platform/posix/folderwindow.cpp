#include "platform/folderwindow.h"

#include "platform/posix/errors.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tolvane::platform {

namespace {

constexpr const char* kProgramName = "tolvane-folder";

// What the started processes tell the caller through the report pipe.
struct Report {
    enum Kind : int { Started = 1, Failed = 2 } kind;
    int value; // the process id, or errno
};

// Between fork and exec only async-signal-safe calls are allowed, so everything below that runs
// in the new processes is plain system calls on data prepared beforehand.
void sendReport(int fd, Report::Kind kind, int value) {
    const Report report{kind, value};
    // Smaller than PIPE_BUF, so written in one piece.
    while (::write(fd, &report, sizeof report) < 0 && errno == EINTR) {
    }
}

// Marks every descriptor from 3 up as close-on-exec, so the window program holds none of ours
// (a job's pipe kept open by it would never report its end).
void closeInheritedOnExec(int highestFd) {
#ifdef SYS_close_range
    constexpr unsigned kCloseRangeCloexec = 1U << 2;
    if (::syscall(SYS_close_range, 3U, ~0U, kCloseRangeCloexec) == 0) {
        return;
    }
#endif
    for (int fd = 3; fd <= highestFd; ++fd) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
}

[[noreturn]] void becomeWindowProgram(int reportFd, const char* program, char* const argv[],
                                      int highestFd) {
    ::setsid();
    if (::chdir("/") != 0) {
        // The working folder matters to nobody; keep the inherited one.
    }
    const int null = ::open("/dev/null", O_RDWR);
    if (null < 0) {
        sendReport(reportFd, Report::Failed, errno);
        ::_exit(127);
    }
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    if (null > STDERR_FILENO) {
        ::close(null);
    }
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig) {
        ::sigaction(sig, &defaults, nullptr);
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    closeInheritedOnExec(highestFd);

    sendReport(reportFd, Report::Started, static_cast<int>(::getpid()));
    ::execve(program, argv, environ);
    sendReport(reportFd, Report::Failed, errno);
    ::_exit(127);
}

// Moves a descriptor above the standard streams, which the new process replaces.
int aboveStandardStreams(int fd) {
    if (fd > STDERR_FILENO) {
        return fd;
    }
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    ::close(fd);
    return moved;
}

SystemError startFailure(const std::string& program, int err) {
    SystemError error = errorFromErrno(err);
    error.message = program + ": " + error.message;
    return error;
}

} // namespace

std::string defaultFolderWindowProgram() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return kProgramName;
    }
    return (self.parent_path() / kProgramName).string();
}

DetachedFolderWindowLauncher::DetachedFolderWindowLauncher(std::string program)
    : program_(program.empty() ? defaultFolderWindowProgram() : std::move(program)) {
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(program_, ec);
    if (!ec) {
        program_ = absolute.string();
    }
}

SystemError DetachedFolderWindowLauncher::open(const std::string& winPath) {
    return start(winPath, nullptr);
}

SystemError DetachedFolderWindowLauncher::start(const std::string& winPath, int* processId) {
    std::string programArg = program_;
    std::string pathArg = winPath;
    char* argv[] = {programArg.data(), pathArg.data(), nullptr};

    rlimit limit{};
    int highestFd = 1024;
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        highestFd = static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 65536)) - 1;
    }

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        return startFailure(program_, errno);
    }
    report[0] = aboveStandardStreams(report[0]);
    report[1] = aboveStandardStreams(report[1]);
    if (report[0] < 0 || report[1] < 0) {
        const int err = errno;
        ::close(report[0]);
        ::close(report[1]);
        return startFailure(program_, err);
    }

    // No signal handler of ours may run in the new processes before they reset them.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    const pid_t middle = ::fork();
    if (middle == 0) {
        // The go-between starts the window program and leaves at once, so the window program
        // is handed to the system and never becomes our child.
        ::close(report[0]);
        const pid_t window = ::fork();
        if (window == 0) {
            becomeWindowProgram(report[1], programArg.c_str(), argv, highestFd);
        }
        if (window < 0) {
            sendReport(report[1], Report::Failed, errno);
        }
        ::_exit(0);
    }
    const int forkError = errno;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::close(report[1]);
    if (middle < 0) {
        ::close(report[0]);
        return startFailure(program_, forkError);
    }
    while (::waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
    }

    // The pipe ends when the window program has replaced itself (or given up).
    int started = 0;
    int failure = 0;
    Report message{};
    ssize_t got = 0;
    while ((got = ::read(report[0], &message, sizeof message)) != 0) {
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (got != sizeof message) {
            break;
        }
        if (message.kind == Report::Started) {
            started = message.value;
        } else {
            failure = message.value;
        }
    }
    ::close(report[0]);
    if (failure != 0) {
        return startFailure(program_, failure);
    }
    if (started == 0) {
        return startFailure(program_, ECHILD);
    }
    if (processId) {
        *processId = started;
    }
    return {};
}

} // namespace tolvane::platform
