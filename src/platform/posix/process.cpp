// Starting a command with captured output on POSIX.
//
// The interpreter is started as a grandchild: fork, fork again, exec, and the middle process
// exits at once and is reaped at once. The reason is the end of a run: it is the end of the
// output, not the exit of the interpreter, and at that moment the interpreter may still be on
// its way out, or alive for good after closing its output early. A direct child would then have
// to be waited for (freezing the window), polled for later, or left as a zombie. As a grandchild
// it belongs to init (or the session's subreaper), which reaps it whenever it ends. The costs:
// the interpreter's id and exit status are unknown here (a run uses neither), and a fork of the
// whole program instead of a spawn (copying its page tables, about a millisecond). In its own
// process group and not our child, the job also runs on when this program is closed during it.
//
// Between fork and exec only async-signal-safe calls are made, since other threads of the
// program may hold locks (of the allocator, for one) at the moment of the fork. Everything the
// new process needs (the program's path, its arguments, the descriptors) is prepared before.

#include "platform/process.h"
#include "platform/posix/cmdline.h"
#include "platform/posix/errors.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tolvane::platform {

struct CommandProcess::Handles {
    int readEnd = -1;
    int writeEnd = -1;
};

namespace {

void closeDescriptor(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// A descriptor that closes itself.
struct OwnedDescriptor {
    int fd = -1;
    OwnedDescriptor() = default;
    explicit OwnedDescriptor(int descriptor) : fd(descriptor) {}
    OwnedDescriptor(const OwnedDescriptor&) = delete;
    OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;
    ~OwnedDescriptor() { closeDescriptor(fd); }
};

// Finds the program the way a shell does: a name with a slash is taken as it is, any other is
// looked up in the folders of PATH. A file that is there but may not be run makes the search
// fail with "access denied" rather than "not found".
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

// Everything the new process needs, made ready before the fork.
struct LaunchPlan {
    const char* program = nullptr;
    char* const* arguments = nullptr;
    int input = -1;
    int output = -1;
    int report = -1;         // write end of the pipe that carries a failure's errno back
    int descriptorLimit = 0; // for marking descriptors close-on-exec without close_range
};

[[noreturn]] void reportAndExit(int report, int error) {
    ssize_t written = ::write(report, &error, sizeof error);
    (void)written;
    ::_exit(127);
}

// Leaves no descriptor above the standard three to the new program, whoever opened it and
// however: ours are all close-on-exec already, but a library's may not be.
void closeOthersOnExec(int limit) {
#if defined(__linux__) && defined(CLOSE_RANGE_CLOEXEC)
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) {
        return;
    }
#endif
    for (int fd = 3; fd < limit; ++fd) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
}

[[noreturn]] void becomeCommand(const LaunchPlan& plan) {
    ::setpgid(0, 0);
    sigset_t nothing;
    sigemptyset(&nothing);
    ::sigprocmask(SIG_SETMASK, &nothing, nullptr);

    // Copies above the standard three first, so that no source is overwritten by an earlier
    // dup2 when this program itself was started with one of them closed.
    const int input = ::fcntl(plan.input, F_DUPFD_CLOEXEC, 3);
    const int output = ::fcntl(plan.output, F_DUPFD_CLOEXEC, 3);
    if (input < 0 || output < 0 || ::dup2(input, 0) < 0 || ::dup2(output, 1) < 0 ||
        ::dup2(output, 2) < 0) {
        reportAndExit(plan.report, errno);
    }
    closeOthersOnExec(plan.descriptorLimit);
    ::execve(plan.program, plan.arguments, environ);
    reportAndExit(plan.report, errno);
}

pid_t forkAgain() {
#if defined(__GLIBC__)
#if __GLIBC_PREREQ(2, 34)
#define TOLVANE_HAVE_FORK_WITHOUT_HANDLERS 1
#endif
#endif
#ifdef TOLVANE_HAVE_FORK_WITHOUT_HANDLERS
    return ::_Fork(); // unlike fork, runs no handlers registered by libraries
#else
    return ::fork();
#endif
}

int descriptorLimit() {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
        limit.rlim_cur > 65536) {
        return 65536;
    }
    return static_cast<int>(limit.rlim_cur);
}

// Starts the command line with its output on `output`. Returns 0 or an errno value.
int launch(const std::string& commandLine, int output) {
    std::vector<std::string> words = splitCommandLine(commandLine);
    if (words.empty()) {
        return ENOENT;
    }
    std::string program;
    if (int error = findProgram(words.front(), program)) {
        return error;
    }
    std::vector<char*> arguments;
    arguments.reserve(words.size() + 1);
    for (std::string& word : words) {
        arguments.push_back(word.data());
    }
    arguments.push_back(nullptr);

    OwnedDescriptor input(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    if (input.fd < 0) {
        return errno;
    }
    int reportPipe[2];
    if (::pipe2(reportPipe, O_CLOEXEC) != 0) {
        return errno;
    }
    OwnedDescriptor reportRead(reportPipe[0]);
    OwnedDescriptor reportWrite(reportPipe[1]);

    LaunchPlan plan;
    plan.program = program.c_str();
    plan.arguments = arguments.data();
    plan.input = input.fd;
    plan.output = output;
    plan.report = reportWrite.fd;
    plan.descriptorLimit = descriptorLimit();

    const pid_t middle = ::fork();
    if (middle < 0) {
        return errno;
    }
    if (middle == 0) {
        const pid_t command = forkAgain();
        if (command < 0) {
            reportAndExit(plan.report, errno);
        }
        if (command == 0) {
            becomeCommand(plan);
        }
        ::_exit(0);
    }

    closeDescriptor(reportWrite.fd);
    while (::waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
    }

    // The report pipe ends without a word once the command's exec has closed the last copy of
    // its write end; a failure sends its errno first.
    int failure = 0;
    std::size_t received = 0;
    while (received < sizeof failure) {
        const ssize_t n = ::read(reportRead.fd, reinterpret_cast<char*>(&failure) + received,
                                 sizeof failure - received);
        if (n > 0) {
            received += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
    if (received == sizeof failure) {
        return failure != 0 ? failure : ENOEXEC;
    }
    return 0;
}

} // namespace

std::string commandInterpreter() {
    const char* comSpec = std::getenv("ComSpec");
    if (comSpec && *comSpec) {
        return comSpec;
    }
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return "tolvane-cmd"; // then it is looked up on PATH
    }
    std::string path(self, static_cast<std::size_t>(length));
    path.erase(path.rfind('/') + 1);
    path += "tolvane-cmd";
    if (path.find_first_of(" \t") != std::string::npos) {
        return '"' + path + '"';
    }
    return path;
}

CommandProcess::CommandProcess() : handles_(std::make_unique<Handles>()) {}

CommandProcess::~CommandProcess() {
    release();
}

std::int32_t CommandProcess::createPipe() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return windowsCodeForErrno(errno);
    }
    handles_->readEnd = ends[0];
    handles_->writeEnd = ends[1];
    // Only our end waits without blocking; the command's end stays an ordinary blocking one.
    ::fcntl(handles_->readEnd, F_SETFL, ::fcntl(handles_->readEnd, F_GETFL) | O_NONBLOCK);
    return 0;
}

std::int32_t CommandProcess::start(const std::string& commandLine) {
    const int error = launch(commandLine, handles_->writeEnd);
    closeDescriptor(handles_->writeEnd);
    if (error != 0) {
        closeDescriptor(handles_->readEnd);
        return windowsCodeForErrno(error);
    }
    return 0;
}

CommandProcess::ReadStatus CommandProcess::read(char* buffer, std::size_t capacity,
                                                std::size_t& count, int waitMilliseconds) {
    count = 0;
    const int fd = handles_->readEnd;
    if (fd < 0) {
        return ReadStatus::Ended;
    }
    bool waited = false;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, capacity);
        if (n > 0) {
            count = static_cast<std::size_t>(n);
            return ReadStatus::Data;
        }
        if (n == 0) {
            return ReadStatus::Ended;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return ReadStatus::Ended;
        }
        if (waited) {
            return ReadStatus::Silent;
        }
        pollfd ready{fd, POLLIN, 0};
        const int events = ::poll(&ready, 1, waitMilliseconds);
        if (events == 0 || (events < 0 && errno == EINTR)) {
            return ReadStatus::Silent;
        }
        if (events < 0) {
            return ReadStatus::Ended;
        }
        waited = true;
    }
}

void CommandProcess::release() {
    // There is no process or thread handle to close: the interpreter is not our child.
    closeDescriptor(handles_->writeEnd);
    closeDescriptor(handles_->readEnd);
}

} // namespace tolvane::platform
