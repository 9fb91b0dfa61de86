#pragma once
// One job, taken once when Start is pressed: the game folder, the mode, the queue, the result
// each queued file must produce and what that result's place held before the job. Whether the
// job may run, and at its end which results it did not produce, follow from this value alone.

#include "job/BatchFile.h"
#include "platform/files.h"

#include <optional>
#include <string>
#include <vector>

namespace tolvane {

struct ExpectedResult {
    std::string name; // the result's file name; empty when the queued name gives none
    // What the result's place held when the job was taken; nothing when no file was there.
    std::optional<platform::FileStamp> before;
};

// Where one tool line leaves its output, before the job's Move line takes it away.
struct ToolOutput {
    std::string place;
    bool existedBefore = false;
};

struct Job {
    BatchJob batch;
    BatchText text; // the batch file's lines, or what keeps it from being written
    // In the order the end of the job lists them: the selection list's for Compress, the name
    // list's for Decompress (the order of the Move lines).
    std::vector<ExpectedResult> results;
    // Results that a later queued file's result of the same Windows name replaces (the same name
    // in two folders, or names that differ only in letter case), in the selection list's order.
    std::vector<std::string> replaced;
    // Decompress: the names that a file in the game's System folder already holds.
    std::vector<std::string> inSystem;
    // In the tool lines' order (the selection list's): beside the queued file for Compress, in
    // the System folder for Decompress. A stopped job removes only a file that it made there.
    std::vector<ToolOutput> toolOutputs;
};

// The folder the job's results are moved into.
std::string resultsFolder(const BatchJob& batch);

// The place of one result.
std::string resultPlace(const BatchJob& batch, const std::string& name);

// Takes the job: the expected results, with what their places and the System folder hold now.
Job takeJob(BatchJob batch);

// Leaves out of the queue each file whose result already lies in the output folder and is newer
// than the file. Returns how many were left out.
std::size_t leaveOutDone(BatchJob& batch);

} // namespace tolvane
