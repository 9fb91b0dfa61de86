#include "job/Preflight.h"

#include "job/GamePaths.h"
#include "job/NameList.h"
#include "platform/winpath.h"

namespace tolvane {

std::optional<Refusal> preflight(const Job& job) {
    const BatchJob& batch = job.batch;
    if (batch.paths.empty()) {
        return Refusal{"No files to compile.", false};
    }
    if (batch.gameFolder.empty()) {
        return Refusal{kGameFolderMissing, true};
    }
    const BatchText& text = job.text;
    if (!text.notCompressed.empty()) {
        return Refusal{"Only .uz files can be decompressed:" + listedNames(text.notCompressed),
                       false};
    }
    // A file of that name already in the System folder (the game's own Core.u, or the tool
    // itself) would be overwritten by the tool and then taken away from the game by the move.
    if (!job.inSystem.empty()) {
        const GameTool tool = batch.toolToRun();
        const std::string folder = tool.native ? platform::fileNameOf(tool.resultFolder) : "System";
        return Refusal{"These files are already in the game's " + folder +
                           " folder. Decompressing "
                           "would replace them and then move them out of it:" +
                           listedNames(job.inSystem),
                       true};
    }
    if (!text.notRepresentable.empty()) {
        return Refusal{"The batch file " + gamepaths::batchFileWritten(batch.gameFolder) +
                           " cannot name these files, since the Windows code page has no place "
                           "for some of their characters:" +
                           listedNames(text.notRepresentable),
                       true};
    }
    return std::nullopt;
}

} // namespace tolvane
