#pragma once
// Starting the program a batch line names.

#include "workingfolder.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

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

// Runs the program with the line's fields and waits for it, relaying its output (standard output
// and error, in one pipe of its own) to the interpreter's own. Returns the errorlevel.
int runProgram(const Program& program, const std::vector<std::string>& fields);

} // namespace tolvane::cmd
