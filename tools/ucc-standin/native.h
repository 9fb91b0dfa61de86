#pragma once
// The stand-in installed under the name of the game's native Linux tool (ucc-bin-amd64 and its
// kin) behaves as that tool does, so that jobs meet its rules: it takes host paths only, exactly
// one file (or a wildcard) per run, writes Compress results beside the file only for an absolute
// path, leaves Decompress results in the user's ~/.utpg/System unless -nohomedir follows the
// file, and answers every failure with "Exiting due to error" and exit status 1.

#include "commands.h"

#include <string>
#include <vector>

namespace tolvane::standin {

// Whether the program's file name is one of the native tool's.
bool runsAsNativeTool();

int runNative(const std::vector<std::string>& args, Output output);

} // namespace tolvane::standin
