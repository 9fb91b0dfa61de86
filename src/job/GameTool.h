#pragma once
// The game's package tool that a job's batch file runs, and where it leaves a decompressed file.
// A Windows install has System\ucc.exe, run through the interpreter (and Wine on Linux). The
// game's native Linux builds have their own tool instead, which a job runs directly.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

struct GameTool {
    std::string program;      // its Windows path, as the tool line names it
    std::string resultFolder; // where Decompress leaves its file
    // A native build: Decompress gets -nohomedir, or its result would land in ~/.utpg/System.
    bool native = false;

    // Where Decompress leaves the file of this name.
    std::string resultOf(std::string_view name) const;
};

// The Windows tool of a game folder, whether it is there or not.
GameTool windowsTool(std::string_view gameFolder);

// The native tool for this machine's processor, when the game folder holds one.
std::optional<GameTool> nativeTool(std::string_view gameFolder);

// What a job in this game folder runs: the native tool when there is one (a folder with both
// tools runs the native one, without Wine), else the Windows tool. An interpreter that starts
// only Windows programs (Wine's own cmd) gets the Windows tool wherever the folder has it.
GameTool gameTool(std::string_view gameFolder, bool interpreterStartsLinuxPrograms = true);

// The native tools for this machine, as suffixes of the game folder, the preferred first; none
// on Windows.
std::vector<std::string_view> nativeToolSuffixes();

} // namespace tolvane
