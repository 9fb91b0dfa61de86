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

// Tolvane's own tool, installed beside this program: the same .uz codec as the game's tool, byte
// for byte. It leaves a decompressed file in the game folder's System folder. Nothing when the
// drives the game is seen through cannot name its folder.
std::optional<GameTool> ownTool(std::string_view gameFolder);

struct ToolChoice {
    bool preferOwn = false; // the user asked for Tolvane's own tool
    // The interpreter starts Linux programs too (the bundled one), not only Windows ones.
    bool interpreterStartsLinuxPrograms = true;
};

// What a job in this game folder runs: Tolvane's own tool when asked for; else the native tool
// when there is one (a folder with both tools runs the native one, without Wine), and the Windows
// tool where the interpreter starts only Windows programs (Wine's own cmd); else the Windows
// tool; and Tolvane's own tool for a folder without any tool (a folder of packages).
GameTool gameTool(std::string_view gameFolder, ToolChoice choice = {});

// Whether the tool is Tolvane's own.
bool isOwnTool(const GameTool& tool);

// The native tools for this machine, as suffixes of the game folder, the preferred first; none
// on Windows.
std::vector<std::string_view> nativeToolSuffixes();

} // namespace tolvane
