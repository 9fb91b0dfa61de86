#pragma once
// Starting the program a batch line names.

#include "workingfolder.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::cmd {

struct Program {
    std::filesystem::path host;
    std::string windowsPath;       // as typed, with ".exe" when that was added
    bool isWindowsProgram = false; // starts with "MZ": runs through wine
};

// The first field as a Windows path. A name without an extension is tried with ".exe" first,
// then as it is, so a host program such as Z:\bin\true is found too.
std::optional<Program> findProgram(const std::string& field, const WorkingFolder& folder);

// Runs the program with the line's fields and waits for it; its output goes straight to the
// interpreter's own stdout and stderr. Returns the errorlevel.
int runProgram(const Program& program, const std::vector<std::string>& fields);

} // namespace tolvane::cmd
