// Starting a command with captured output on Linux.
//
// The interpreter is started as a grandchild: a middle process starts it and ends at once, and
// is reaped at once. The reason is the end of a run: it is the end of the output, not the exit
// of the interpreter, and at that moment the interpreter may still be on its way out, or alive
// for good after closing its output early. A direct child would then have to be waited for
// (freezing the window), polled for later, or left as a zombie. As a grandchild it belongs to
// init (or the session's subreaper), which reaps it whenever it ends. The cost: its id and exit
// status are unknown here, and a run uses neither. In its own process group and not our child,
// the job also runs on when this program is closed during it.
//
// Both new processes are made the way posix_spawn makes its one: sharing this program's memory
// until the exec, on stacks of their own, with every signal blocked, making only system calls.

#include "platform/process.h"
#include "platform/posix/cmdline.h"
#include "platform/posix/errors.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/mman.h>
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

// Everything the new processes need, made ready before they are made. They share this
// program's memory until the command's exec, so they also leave their result here.
struct LaunchPlan {
    const char* program = nullptr;
    char* const* arguments = nullptr;
    int input = -1;
    int output = -1;
    int descriptorLimit = 0;      // for marking descriptors close-on-exec without close_range
    char* commandStack = nullptr; // top of the stack the command runs on until its exec
    volatile int failure = 0;     // errno of a failed step; 0 once the exec has happened
};

constexpr std::size_t kStackSize = 64 * 1024;

[[noreturn]] void fail(LaunchPlan& plan, int error) {
    plan.failure = error;
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

int becomeCommand(void* argument) {
    LaunchPlan& plan = *static_cast<LaunchPlan*>(argument);
    ::setpgid(0, 0);

    // Signals came in blocked. No handler of this program may run here, in its memory: put the
    // caught ones back to their default before letting signals through.
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_DFL &&
            current.sa_handler != SIG_IGN) {
            ::sigaction(signal, &defaultAction, nullptr);
        }
    }
    sigset_t nothing;
    sigemptyset(&nothing);
    ::sigprocmask(SIG_SETMASK, &nothing, nullptr);

    // Copies above the standard three first, so that no source is overwritten by an earlier
    // dup2 when this program itself was started with one of them closed.
    const int input = ::fcntl(plan.input, F_DUPFD_CLOEXEC, 3);
    const int output = ::fcntl(plan.output, F_DUPFD_CLOEXEC, 3);
    if (input < 0 || output < 0 || ::dup2(input, 0) < 0 || ::dup2(output, 1) < 0 ||
        ::dup2(output, 2) < 0) {
        fail(plan, errno);
    }
    closeOthersOnExec(plan.descriptorLimit);
    ::execve(plan.program, plan.arguments, environ);
    fail(plan, errno);
}

// The middle process: starts the command and ends at once, leaving it to init.
int startCommandAndLeave(void* argument) {
    LaunchPlan& plan = *static_cast<LaunchPlan*>(argument);
    if (::clone(becomeCommand, plan.commandStack, CLONE_VM | CLONE_VFORK | SIGCHLD, &plan) < 0) {
        fail(plan, errno);
    }
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

// Two small stacks, each with an inaccessible page below it, so that an overflow faults instead
// of writing into the other one.
class ChildStacks {
public:
    ChildStacks() {
        const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        size_ = 2 * (page + kStackSize);
        void* memory = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE,
                              MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
        if (memory == MAP_FAILED) {
            error_ = errno;
            return;
        }
        base_ = static_cast<char*>(memory);
        ::mprotect(base_, page, PROT_NONE);
        ::mprotect(base_ + page + kStackSize, page, PROT_NONE);
        firstTop_ = base_ + page + kStackSize;
        secondTop_ = base_ + size_;
    }
    ~ChildStacks() {
        if (base_) {
            ::munmap(base_, size_);
        }
    }
    ChildStacks(const ChildStacks&) = delete;
    ChildStacks& operator=(const ChildStacks&) = delete;

    int error() const { return error_; }
    char* firstTop() const { return firstTop_; }
    char* secondTop() const { return secondTop_; }

private:
    char* base_ = nullptr;
    std::size_t size_ = 0;
    char* firstTop_ = nullptr;
    char* secondTop_ = nullptr;
    int error_ = 0;
};

// Blocks every signal of the calling thread for as long as it lives.
class BlockedSignals {
public:
    BlockedSignals() {
        sigset_t all;
        sigfillset(&all);
        ::pthread_sigmask(SIG_SETMASK, &all, &saved_);
    }
    ~BlockedSignals() { ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }
    BlockedSignals(const BlockedSignals&) = delete;
    BlockedSignals& operator=(const BlockedSignals&) = delete;

private:
    sigset_t saved_;
};

// Starts the command line with its output on `output`. Returns 0 or an errno value.
//
// Both new processes share this program's memory (CLONE_VM) and each suspends its parent until
// it has exec'd or ended (CLONE_VFORK), as posix_spawn does: nothing is copied, and when the
// first clone returns, the command has either started or left its errno in the plan. The middle
// process ends right after the second clone and is reaped at once.
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
    ChildStacks stacks;
    if (stacks.error() != 0) {
        return stacks.error();
    }

    LaunchPlan plan;
    plan.program = program.c_str();
    plan.arguments = arguments.data();
    plan.input = input.fd;
    plan.output = output;
    plan.descriptorLimit = descriptorLimit();
    plan.commandStack = stacks.secondTop();

    pid_t middle = -1;
    int cloneError = 0;
    {
        BlockedSignals blocked;
        middle = ::clone(startCommandAndLeave, stacks.firstTop(), CLONE_VM | CLONE_VFORK | SIGCHLD,
                         &plan);
        cloneError = errno;
    }
    if (middle < 0) {
        return cloneError;
    }
    while (::waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
    }
    return plan.failure;
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
