#pragma once
// Starting a command line with its standard output and standard error captured through one pipe,
// and reading that output until the command has ended. One CommandProcess holds the resources of
// one run; its destructor releases whatever is still held, so nothing leaks when a run is left
// early.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tolvane::platform {

// How the command interpreter is asked to run one command given in double quotes: the command
// line, and the folder it starts in (a host path; empty for this program's own).
//
// The interpreter's /c rule strips the outer quotes of what follows when that text holds one of
// ( ) & ^ @ < > |, as "C:\Program Files (x86)\..." does; so on Windows the quoted command gets
// one more pair, which the rule strips, leaving the inner pair. On POSIX systems the line is
// split into arguments, and wine joins them again without that extra pair; there a command that
// is a Windows path to an existing folder's file is run by its bare name from that folder, which
// survives the round trip whatever the folder's name holds.
struct Invocation {
    std::string commandLine;
    std::string workingFolder;
};
Invocation interpreterInvocation(const std::string& interpreter, const std::string& quotedCommand);

class CommandProcess {
public:
    enum class ReadStatus {
        Data,   // the read returned bytes (on Windows possibly none, for an empty write)
        Silent, // nothing arrived within the waiting time; ask again
        Ended,  // the command has ended and what it wrote is read, or the pipe broke
    };

    CommandProcess();
    ~CommandProcess();
    CommandProcess(const CommandProcess&) = delete;
    CommandProcess& operator=(const CommandProcess&) = delete;

    // Creates the anonymous pipe, asking for kPipeBytes. Returns 0, or the Windows error code of
    // the failure.
    std::int32_t createPipe();

    // What the pipe is asked to hold: what a job writes while the reader waits, also when a job
    // ends with thousands of quick moves (about a megabyte a second). In a pipe of the system's
    // usual size such output makes the job wait for the reader, or has the reader wake for every
    // line. Where the system gives less, runs still work, at a higher cost.
    static constexpr std::size_t kPipeBytes = 1024 * 1024;

    // Starts the command line (UTF-8) with no standard input and both output streams on the
    // pipe, then closes this program's own copy of the pipe's write end. Returns 0, or the
    // Windows error code of the failed start, in which case the pipe is already released.
    std::int32_t start(const Invocation& invocation);

    // Reads at most `capacity` bytes, waiting up to `waitMilliseconds` for output to arrive.
    //
    // The run ends when the command itself has ended and the output it left in the pipe has
    // been read, even while processes it started still hold the pipe open: programs that outlive
    // a job (Wine's system processes, or a game started meanwhile) must not hold up its end.
    ReadStatus read(char* buffer, std::size_t capacity, std::size_t& count, int waitMilliseconds);

    // Ends the command and every process it started that it still holds: its process group on
    // POSIX systems, its job object on Windows. The run then ends as any run does, once the
    // command has exited and its output is read.
    void terminate();

    // Releases the process, its thread and the read end, in this order. Safe to call twice.
    // A command still running is left to run on.
    void release();

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
};

} // namespace tolvane::platform
