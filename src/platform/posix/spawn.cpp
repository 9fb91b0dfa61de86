#include "platform/posix/spawn.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tolvane::platform {

namespace {

// A descriptor that closes itself.
struct OwnedDescriptor {
    int fd = -1;
    OwnedDescriptor() = default;
    explicit OwnedDescriptor(int descriptor) : fd(descriptor) {}
    OwnedDescriptor(const OwnedDescriptor&) = delete;
    OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;
    ~OwnedDescriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

// What the new process tells the caller through the report pipe.
struct Report {
    enum Kind : int { Started = 1, Failed = 2 } kind;
    int value; // a process id, or an errno value
};

// Everything the new process needs, made ready before the fork.
struct Plan {
    const char* program = nullptr;
    char* const* arguments = nullptr;
    const char* workingFolder = nullptr;
    int input = -1;
    int output = -1;
    int report = -1;
    int descriptorLimit = 0;
    bool detached = false;
    bool ownGroup = false;
};

void sendReport(int fd, Report::Kind kind, int value) {
    const Report report{kind, value};
    // Smaller than PIPE_BUF, so written in one piece.
    while (::write(fd, &report, sizeof report) < 0 && errno == EINTR) {
    }
}

[[noreturn]] void fail(const Plan& plan, int error) {
    sendReport(plan.report, Report::Failed, error);
    ::_exit(127);
}

// Leaves no descriptor above the standard three to the new program, whoever opened it and
// however: ours are all close-on-exec already, but a library's may not be.
void closeOthersOnExec(int limit) {
#if defined(CLOSE_RANGE_CLOEXEC)
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) {
        return;
    }
#endif
    for (int fd = 3; fd < limit; ++fd) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
}

// Runs in the new process, with every signal blocked, until the exec.
[[noreturn]] void becomeProgram(const Plan& plan) {
    if (plan.detached) {
        ::setsid();
    }
    // No handler of ours may run here: put the caught signals back to their defaults before
    // letting signals through. Ignored ones stay ignored, as a shell leaves them.
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_DFL &&
            current.sa_handler != SIG_IGN) {
            ::sigaction(signal, &defaultAction, nullptr);
        }
    }
    if (plan.workingFolder && ::chdir(plan.workingFolder) != 0) {
        fail(plan, errno);
    }
    // Copies above the standard three first, so that no source is overwritten by an earlier
    // dup2 when this program itself was started with one of them closed.
    const int input = ::fcntl(plan.input, F_DUPFD_CLOEXEC, 3);
    const int output = ::fcntl(plan.output, F_DUPFD_CLOEXEC, 3);
    if (input < 0 || output < 0 || ::dup2(input, 0) < 0 || ::dup2(output, 1) < 0 ||
        ::dup2(output, 2) < 0) {
        fail(plan, errno);
    }
    closeOthersOnExec(plan.descriptorLimit);
    sigset_t nothing;
    sigemptyset(&nothing);
    ::sigprocmask(SIG_SETMASK, &nothing, nullptr);
    ::execve(plan.program, plan.arguments, environ);
    fail(plan, errno);
}

// The new process's first steps: a process group of its own, or for a detached program a
// go-between that leaves at once, so that the program (leading a session of its own) belongs to
// the system and is never our child.
[[noreturn]] void runNewProcess(const Plan& plan) {
    if (!plan.detached) {
        if (plan.ownGroup) {
            ::setpgid(0, 0);
        }
        becomeProgram(plan);
    }
    const pid_t program = ::fork();
    if (program == 0) {
        becomeProgram(plan);
    }
    if (program < 0) {
        fail(plan, errno);
    }
    sendReport(plan.report, Report::Started, static_cast<int>(program));
    ::_exit(0);
}

int descriptorLimit() {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
        limit.rlim_cur > 65536) {
        return 65536;
    }
    return static_cast<int>(limit.rlim_cur);
}

// Waits for the report pipe to close (the exec happened, or the process gave up) and returns
// the errno of a failure, 0 when the program started. `started` receives a reported process id.
int readReport(int fd, pid_t& started) {
    int failure = 0;
    Report message{};
    for (;;) {
        const ssize_t got = ::read(fd, &message, sizeof message);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got != static_cast<ssize_t>(sizeof message)) {
            return failure;
        }
        if (message.kind == Report::Started) {
            started = static_cast<pid_t>(message.value);
        } else {
            failure = message.value;
        }
    }
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

// Makes the new process, which runs the plan; returns its id, or -1 with errno set. No signal
// handler of ours may run in it before it has reset them.
pid_t forkWithSignalsBlocked(const Plan& plan) {
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    const pid_t child = ::fork();
    if (child == 0) {
        runNewProcess(plan);
    }
    const int forkError = errno;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = forkError;
    return child;
}

void reap(pid_t pid) {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

int findProgram(const std::string& name, std::string& path) {
    if (name.empty()) {
        return ENOENT;
    }
    if (name.find('/') != std::string::npos) {
        path = name;
        return 0;
    }
    const char* variable = std::getenv("PATH");
    const std::string folders = variable ? variable : "/bin:/usr/bin";
    int failure = ENOENT;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = folders.find(':', begin);
        std::string folder = folders.substr(begin, end == std::string::npos ? end : end - begin);
        std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            if (::access(candidate.c_str(), X_OK) == 0) {
                path = std::move(candidate);
                return 0;
            }
            failure = EACCES;
        }
        if (end == std::string::npos) {
            return failure;
        }
        begin = end + 1;
    }
}

int spawnProcess(const SpawnRequest& request, pid_t& pid) {
    std::vector<std::string> words = request.arguments;
    std::vector<char*> arguments;
    arguments.reserve(words.size() + 1);
    for (std::string& word : words) {
        arguments.push_back(word.data());
    }
    arguments.push_back(nullptr);

    OwnedDescriptor null;
    if (request.input < 0 || request.output < 0) {
        null.fd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        if (null.fd < 0) {
            return errno;
        }
    }
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return errno;
    }
    OwnedDescriptor reportRead(aboveStandardStreams(ends[0]));
    OwnedDescriptor reportWrite(aboveStandardStreams(ends[1]));
    if (reportRead.fd < 0 || reportWrite.fd < 0) {
        return errno;
    }

    Plan plan;
    plan.program = request.program.c_str();
    plan.arguments = arguments.data();
    plan.workingFolder = request.workingFolder.empty() ? nullptr : request.workingFolder.c_str();
    plan.input = request.input >= 0 ? request.input : null.fd;
    plan.output = request.output >= 0 ? request.output : null.fd;
    plan.report = reportWrite.fd;
    plan.descriptorLimit = descriptorLimit();
    plan.detached = request.kind == SpawnRequest::Kind::Detached;
    plan.ownGroup = request.kind == SpawnRequest::Kind::Child;

    const pid_t child = forkWithSignalsBlocked(plan);
    if (child < 0) {
        return errno;
    }
    ::close(reportWrite.fd);
    reportWrite.fd = -1;

    pid_t reported = 0;
    const int failure = readReport(reportRead.fd, reported);
    if (plan.detached) {
        reap(child); // the go-between, gone as soon as it has reported
        pid = reported;
        return failure != 0 ? failure : (reported > 0 ? 0 : ECHILD);
    }
    if (failure != 0) {
        reap(child);
        return failure;
    }
    pid = child;
    return 0;
}

std::size_t drainLimit(int readEnd) {
    const int size = readEnd >= 0 ? ::fcntl(readEnd, F_GETPIPE_SZ) : -1;
    return size > 0 ? static_cast<std::size_t>(size) : 65536;
}

} // namespace tolvane::platform
