// Starting a command with captured output on POSIX systems.
//
// The interpreter is a direct child in a process group of its own. The run ends when the child
// has exited and the output already in the pipe has been read: the end of the pipe alone is no
// sign, since every process the command started holds the pipe's write end too, and some of them
// (Wine's system processes, a game started meanwhile) live on long after the job. The child is
// reaped as soon as its exit is seen, so no zombie stays; if this program ends first, the job
// runs on and the system reaps it.

#include "platform/process.h"
#include "platform/hostpath.h"
#include "platform/posix/cmdline.h"
#include "platform/posix/errors.h"
#include "platform/posix/spawn.h"
#include "platform/winpath.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace tolvane::platform {

namespace {

// How long output may gather before it is read. A fast job writes a few lines for every file;
// reading them as they come would wake the reader thousands of times, taking turns on the
// processor with the job, and on a virtual machine every wake-up of an idle processor costs the
// job on the other one too. Output that keeps coming is gathered for 25 ms at a time, no longer
// than the runner stays away from the window while the command is silent. The first gathering
// after a pause is shorter: it may be the start of a flood, whose writer would otherwise wait
// on a full pipe for the rest of the interval.
constexpr long kGatherNanoseconds = 25'000'000;
constexpr long kFirstGatherNanoseconds = 10'000'000;
constexpr std::chrono::nanoseconds kGatherInterval{kGatherNanoseconds};

// While output keeps streaming, the child's exit is still looked for this often.
constexpr auto kExitCheckInterval = std::chrono::milliseconds(100);

// Lets the output gather: the reader sleeps.
void gatherOutput(long nanoseconds) {
    const timespec gather{0, nanoseconds};
    ::nanosleep(&gather, nullptr);
}

void closeDescriptor(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// Interpreters whose run was left before they ended (a host's handler threw). They run on, and
// are reaped here once they have ended, so that none stays a zombie for long.
std::vector<pid_t>& abandoned() {
    static std::vector<pid_t> children;
    return children;
}

void reapAbandoned() {
    auto& children = abandoned();
    std::erase_if(children, [](pid_t child) { return ::waitpid(child, nullptr, WNOHANG) != 0; });
}

// Starts the command line with its output on `output`. Returns 0 or an errno value.
int launch(const Invocation& invocation, int output, pid_t& pid) {
    std::vector<std::string> words = splitCommandLine(invocation.commandLine);
    if (words.empty()) {
        return ENOENT;
    }
    SpawnRequest request;
    if (int error = findProgram(words.front(), request.program)) {
        return error;
    }
    request.arguments = std::move(words);
    request.output = output;
    request.workingFolder = invocation.workingFolder;
    return spawnProcess(request, pid);
}

} // namespace

struct CommandProcess::Handles {
    int readEnd = -1;
    int writeEnd = -1;
    pid_t child = -1;
    bool exited = false;         // the child has ended and is reaped
    bool outputClosed = false;   // every writer has closed the pipe
    std::size_t drainBudget = 0; // bytes still to read once the child has ended
    std::chrono::steady_clock::time_point nextExitCheck;
    std::size_t readSinceWake = 0;
    unsigned readsSinceClock = 0;
    // A command that writes half a pipe between two wake-ups streams: gathering its output would
    // make it wait on a full pipe, so its output is read as it comes, for as long as it keeps
    // that pace. Slower output is gathered: waking for every line of a busy job would have the
    // reader take turns on the processor with the job.
    bool streaming = false;
    std::size_t streamingBytes = 32 * 1024;
    std::size_t streamedBytes = 0; // read since the pace was last looked at
    std::chrono::steady_clock::time_point paceCheck;

    // Output that piled up while the reader was busy looks fast for one wake-up; only a pace
    // kept up for a gathering interval keeps the command streaming.
    void notePace() {
        const std::size_t read = std::exchange(readSinceWake, 0);
        if (!streaming) {
            streaming = read >= streamingBytes;
            streamedBytes = 0;
            paceCheck = std::chrono::steady_clock::now() + kGatherInterval;
            return;
        }
        streamedBytes += read;
        const auto now = std::chrono::steady_clock::now();
        if (now >= paceCheck) {
            streaming = streamedBytes >= streamingBytes;
            streamedBytes = 0;
            paceCheck = now + kGatherInterval;
        }
    }

    // Reaps the child if it has ended. Once it has, what is in the pipe is read and no more.
    bool checkExit() {
        if (!exited) {
            int status = 0;
            const pid_t got = ::waitpid(child, &status, WNOHANG);
            if (got == 0 || (got < 0 && errno == EINTR)) {
                return false;
            }
            exited = true; // ended, or already reaped by someone else (ECHILD)
            child = -1;
            drainBudget = drainLimit(readEnd);
        }
        return true;
    }
};

Invocation interpreterInvocation(const std::string& interpreter, const std::string& quotedCommand) {
    Invocation plain{interpreter + " /c " + quotedCommand, {}};
    if (quotedCommand.size() < 2 || quotedCommand.front() != '"' || quotedCommand.back() != '"') {
        return plain;
    }
    const std::string command = quotedCommand.substr(1, quotedCommand.size() - 2);
    const std::string name = fileNameOf(command);
    if (driveLetterOf(command) == 0 || name.empty() || command.find('"') != std::string::npos) {
        return plain;
    }
    const auto folder = toHostPath(parentOf(command));
    std::error_code ec;
    if (!folder || !std::filesystem::is_directory(*folder, ec)) {
        return plain;
    }
    return {interpreter + " /c \"" + name + '"', folder->string()};
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
    (void)::fcntl(ends[0], F_SETPIPE_SZ, static_cast<int>(kPipeBytes));
    handles_->streamingBytes = drainLimit(ends[0]) / 2;
    // Only our end waits without blocking; the command's end stays an ordinary blocking one.
    ::fcntl(handles_->readEnd, F_SETFL, ::fcntl(handles_->readEnd, F_GETFL) | O_NONBLOCK);
    return 0;
}

std::int32_t CommandProcess::start(const Invocation& invocation) {
    reapAbandoned();
    const int error = launch(invocation, handles_->writeEnd, handles_->child);
    closeDescriptor(handles_->writeEnd);
    if (error != 0) {
        closeDescriptor(handles_->readEnd);
        return windowsCodeForErrno(error);
    }
    handles_->nextExitCheck = std::chrono::steady_clock::now() + kExitCheckInterval;
    return 0;
}

CommandProcess::ReadStatus CommandProcess::read(char* buffer, std::size_t capacity,
                                                std::size_t& count, int waitMilliseconds) {
    count = 0;
    Handles& h = *handles_;
    if (h.readEnd < 0) {
        return ReadStatus::Ended;
    }
    // Reading the clock for every read would cost a streaming command a good part of its pace.
    if (!h.exited && ++h.readsSinceClock >= 64) {
        h.readsSinceClock = 0;
        if (std::chrono::steady_clock::now() >= h.nextExitCheck) {
            h.checkExit();
            h.nextExitCheck = std::chrono::steady_clock::now() + kExitCheckInterval;
        }
    }
    bool waited = false;
    for (;;) {
        if (h.exited && h.drainBudget == 0) {
            return ReadStatus::Ended;
        }
        const std::size_t wanted = h.exited && h.drainBudget < capacity ? h.drainBudget : capacity;
        const ssize_t n = h.outputClosed ? 0 : ::read(h.readEnd, buffer, wanted);
        if (n > 0) {
            count = static_cast<std::size_t>(n);
            h.readSinceWake += count;
            if (h.exited) {
                h.drainBudget -= count;
            }
            return ReadStatus::Data;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            return ReadStatus::Ended;
        }
        h.outputClosed = n == 0;
        // Nothing there now: the run is over if the child has ended, else wait a slice for
        // output or for its end.
        if (h.checkExit()) {
            return ReadStatus::Ended;
        }
        if (waited) {
            return ReadStatus::Silent;
        }
        waited = true;
        if (h.outputClosed) {
            // The command closed its output but runs on: nothing to wait on but time.
            const timespec slice{0, static_cast<long>(waitMilliseconds) * 1000000L};
            ::nanosleep(&slice, nullptr);
            continue;
        }
        const bool cameSinceWait = h.readSinceWake > 0;
        h.notePace();
        if (cameSinceWait && !h.streaming) {
            // Output came since the last wait, so more is likely on its way: gather it now,
            // rather than waking at its first byte and gathering then. Each timed wait costs a
            // busy job's reader a wake-up, and on a virtual machine more than that.
            gatherOutput(kGatherNanoseconds);
            continue;
        }
        pollfd ready{h.readEnd, POLLIN, 0};
        const int events = ::poll(&ready, 1, waitMilliseconds);
        if (events < 0 && errno != EINTR) {
            return ReadStatus::Ended;
        }
        h.streaming = h.streaming && events != 0;
        if (events > 0 && !h.streaming) {
            // Output has come after a pause: let what follows it at once gather for a moment,
            // rather than waking for every line a busy job writes. A person cannot see the
            // delay; a job of thousands of lines no longer pays a wake-up for each.
            gatherOutput(kFirstGatherNanoseconds);
        }
    }
}

void CommandProcess::terminate() {
    // The interpreter leads its own process group; what it started runs in that group, apart
    // from programs that left it on purpose (Wine's server and system processes among them).
    if (!handles_->exited && handles_->child > 0) {
        ::kill(-handles_->child, SIGKILL);
    }
}

void CommandProcess::release() {
    if (!handles_->exited && handles_->child > 0 && !handles_->checkExit()) {
        abandoned().push_back(handles_->child);
        handles_->child = -1;
    }
    reapAbandoned();
    closeDescriptor(handles_->writeEnd);
    closeDescriptor(handles_->readEnd);
}

} // namespace tolvane::platform
