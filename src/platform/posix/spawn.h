#pragma once
// Starting programs on POSIX systems: the one way this program and its helpers start a process.
//
// A new process is made with fork, and between fork and exec it makes only async-signal-safe
// system calls on data prepared beforehand. A pipe that closes on exec tells the caller whether
// the exec happened, so a program that cannot be started is reported with its errno instead of
// as a process that ends at once.

#include <string>
#include <vector>

#include <sys/types.h>

namespace tolvane::platform {

// Finds a program the way a shell does: a name with a slash is taken as it is, any other is
// looked up in the folders of PATH. A file that is there but may not be run makes the search fail
// with EACCES rather than ENOENT. Returns 0 or the errno value.
int findProgram(const std::string& name, std::string& path);

struct SpawnRequest {
    enum class Kind {
        Child,      // a child in a process group of its own; the caller reaps it
        GroupChild, // a child in the caller's process group, so that ending the group ends it
        Detached,   // in a session of its own and handed to the system at once, never our child
    };
    std::string program;                // the file to run
    std::vector<std::string> arguments; // the argument vector, the program's name first
    int input = -1;                     // its standard input; -1 is /dev/null
    int output = -1;                    // its standard output and error; -1 is /dev/null
    std::string workingFolder;          // empty: this process's own
    Kind kind = Kind::Child;
};

// Starts the program. On success returns 0 and sets `pid`; otherwise returns the errno value of
// the step that failed, and no process is left behind. The new program holds no descriptor of
// ours beyond its standard three, and signals we catch are back at their defaults in it (ignored
// ones stay ignored).
int spawnProcess(const SpawnRequest& request, pid_t& pid);

// How much more of a program's output pipe is read once the program has ended: what the pipe
// can hold. Processes it left behind may keep the pipe open and go on writing for ever; what the
// program itself wrote is all in the pipe by then.
std::size_t drainLimit(int readEnd);

} // namespace tolvane::platform
