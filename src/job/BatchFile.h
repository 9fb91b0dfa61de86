#pragma once
// The batch file a job runs: one tool line per queued file, then one Move line per file that
// takes the tool's result into the output folder. Pure text work, no toolkit.

#include "job/GameTool.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

enum class JobMode { Compress, Decompress };

// What the user queued, and where: the input of the batch file.
struct BatchJob {
    std::string gameFolder;         // as the registry gives it
    std::vector<std::string> paths; // full paths, in the selection list's (sorted) order
    std::vector<std::string> names; // bare names, in the order they were queued
    JobMode mode = JobMode::Compress;
    // The tool the tool lines run; without one, the game folder's Windows tool.
    std::optional<GameTool> tool = std::nullopt;
    // Where the results go; empty: Compressed or Decompressed under the game folder.
    std::string outputFolder = {};
    GameTool toolToRun() const { return tool.value_or(windowsTool(gameFolder)); }
    std::string resultsFolder() const;
};

struct BatchText {
    std::vector<std::string> lines;            // UTF-8, without line ends
    std::vector<std::string> notCompressed;    // names that hold no ".uz" to cut (Decompress)
    std::vector<std::string> notRepresentable; // paths the batch file cannot name
    bool ok() const { return notCompressed.empty() && notRepresentable.empty(); }
};

// The name a compressed file decompresses to: everything before its last ".uz". Letter case
// counts first; failing that, ".UZ" in any case is taken. Nothing when there is none or nothing
// would remain.
std::optional<std::string> decompressedName(std::string_view name);

// One field of a command line as the interpreter must read it back: every % doubled, and the
// whole field in double quotes when it holds a blank or a character the interpreter treats
// specially. Plain paths stay bare.
std::string batchField(std::string_view text);

// The lines of the batch file for a job; when the job cannot be written, the offending names.
BatchText makeBatchText(const BatchJob& job);

// The file's bytes: each line in the Windows code page, ending in CR LF. Only for ok() texts.
std::string batchBytes(const BatchText& text);

} // namespace tolvane
