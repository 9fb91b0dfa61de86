#pragma once
// Starting the program a batch line names.

#include "workingfolder.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <poll.h>
#include <sys/stat.h>

namespace tolvane::cmd {

struct Program {
    std::filesystem::path host;
    std::string windowsPath;       // as typed, with ".exe" when that was added
    bool isWindowsProgram = false; // starts with "MZ": runs through wine
};

// The first field as a Windows path. A name without an extension is tried with ".exe" first,
// then as it is, so a host program such as Z:\bin\true is found too.
std::optional<Program> findProgram(const std::string& field, const WorkingFolder& folder);

// Remembers what each first field led to, since a job runs the same tool line after line and
// finding a name in another letter case means reading the whole folder. A remembered program
// is used only while the same file is still there unchanged; otherwise it is looked up anew.
class ProgramFinder {
public:
    explicit ProgramFinder(const WorkingFolder& folder) : folder_(folder) {}
    std::optional<Program> find(const std::string& field);

private:
    struct Known {
        Program program;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        struct timespec modified {};
    };
    const WorkingFolder& folder_;
    std::map<std::string, Known, std::less<>> known_;
};

// Where a line's output goes: the interpreter's own output and error, at once or later.
class LineOutput {
public:
    virtual ~LineOutput() = default;
    virtual void out(std::string_view bytes) = 0;
    virtual void err(std::string_view bytes) = 0;
};

// A program started for a line. Its output (standard output and error, in one pipe of its own)
// is relayed as it comes, until the program has ended and what it left in the pipe is read.
class RunningProgram {
public:
    RunningProgram(pid_t pid, int readEnd);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Relays what has come so far, without waiting. Unless `mayRead`, the output stays in the
    // pipe until the program has ended, so a program that writes much waits for its turn.
    // True once the program has ended and its output is all relayed.
    bool relay(LineOutput& output, bool mayRead);
    // What a wait for this program watches: its output (when it may be read) and its end.
    void addWaits(std::vector<pollfd>& waits, bool mayRead) const;
    // Its end cannot be watched on this system: the wait must come back now and then.
    bool needsTicks() const { return !ended_ && ending_ < 0; }
    int errorlevel() const;

private:
    pid_t pid_;
    int readEnd_;
    int ending_ = -1; // becomes readable when the program ends, where the system offers that
    int status_ = 0;
    bool ended_ = false;
    bool outputClosed_ = false;
    std::size_t drainBudget_ = 0;
};

// Starts the program with the line's fields. Returns it running, or the errorlevel when it could
// not be started, with the reason written to `output`.
std::variant<std::unique_ptr<RunningProgram>, int>
startProgram(const Program& program, const std::vector<std::string>& fields, LineOutput& output);

} // namespace tolvane::cmd
