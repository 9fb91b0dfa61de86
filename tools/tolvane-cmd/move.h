#pragma once
// The built-in Move command.

#include "workingfolder.h"

#include <string>
#include <vector>

namespace tolvane::cmd {

// Moves <source> into <target> when that is a folder, else renames it to <target>, replacing
// an existing file without asking (the /Y and /-Y switches are accepted and change nothing).
// Works across file systems. Prints the Windows interpreter's lines; returns the errorlevel.
int moveCommand(const std::vector<std::string>& arguments, const WorkingFolder& folder);

} // namespace tolvane::cmd
