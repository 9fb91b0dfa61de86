#pragma once
// The programs Tolvane starts besides the game's tool, and where it finds them: they are built
// and installed beside the tolvane executable.

#include <optional>
#include <string>

namespace tolvane {

// The command interpreter that runs a job's batch file: the value of ComSpec. Where ComSpec is
// not set on a system that has no interpreter of its own, the bundled tolvane-cmd beside this
// program, quoted when its path has blanks, so that it can stand at the head of a command line.
std::string commandInterpreter();

// Whether the command interpreter is the bundled one, which starts Linux programs as well as
// Windows ones (through Wine).
bool bundledInterpreter();

// Tolvane's own package tool, tolvane-ucc beside this program, as a Windows path through the
// drives the game is seen through; nothing when no drive holds its folder.
std::optional<std::string> ownToolProgram();

// The program that shows a folder window, tolvane-folder beside this program.
std::string folderWindowProgram();

} // namespace tolvane
