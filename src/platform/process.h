#pragma once
// Starting a command line with its standard output and standard error captured through one pipe,
// and reading that output. One CommandProcess holds the resources of one run; its destructor
// releases whatever is still held, so nothing leaks when a run is left early.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tolvane::platform {

// The command interpreter that runs a command line: the value of ComSpec. Where ComSpec is not
// set on a system without one, the interpreter bundled beside the running program, quoted when
// its path has blanks, so that it can stand at the head of a command line.
std::string commandInterpreter();

class CommandProcess {
public:
    enum class ReadStatus {
        Data,   // the read returned bytes (on Windows possibly none, for an empty write)
        Silent, // nothing arrived within the waiting time; ask again
        Ended,  // the read failed: every writer has closed the output, or the pipe broke
    };

    CommandProcess();
    ~CommandProcess();
    CommandProcess(const CommandProcess&) = delete;
    CommandProcess& operator=(const CommandProcess&) = delete;

    // Creates the anonymous pipe. Returns 0, or the Windows error code of the failure.
    std::int32_t createPipe();

    // Starts the command line (UTF-8) with no standard input and both output streams on the
    // pipe, then closes this program's own copy of the pipe's write end, so that the end of the
    // output shows once the command and everything it started have closed theirs. Returns 0, or
    // the Windows error code of the failed start, in which case the pipe is already released.
    std::int32_t start(const std::string& commandLine);

    // Reads at most `capacity` bytes, waiting up to `waitMilliseconds` for output to arrive.
    ReadStatus read(char* buffer, std::size_t capacity, std::size_t& count, int waitMilliseconds);

    // Releases the process, its thread and the read end, in this order. Safe to call twice.
    void release();

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
};

} // namespace tolvane::platform
