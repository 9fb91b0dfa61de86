#include "job/Job.h"

#include "job/FolderIndex.h"
#include "job/GamePaths.h"
#include "platform/codepage.h"
#include "platform/winpath.h"

#include <algorithm>
#include <map>

namespace tolvane {

namespace {

// The result the tool makes of one queued file name.
std::string resultName(JobMode mode, const std::string& name) {
    if (mode == JobMode::Compress) {
        return name + ".uz";
    }
    return decompressedName(name).value_or(std::string());
}

// Each result moved into the output folder replaces an earlier one of the same Windows name, in
// the order of the tool lines (the selection list's); the last one is what stays.
std::vector<std::string> replacedResults(const BatchJob& batch) {
    std::vector<std::pair<std::string, const std::string*>> results; // result name, source path
    std::map<std::string, const std::string*> lastSource;            // folded result name
    for (const auto& path : batch.paths) {
        const std::string result = resultName(batch.mode, platform::fileNameOf(path));
        if (!result.empty()) {
            results.emplace_back(result, &path);
            lastSource[platform::foldCase(result)] = &path;
        }
    }
    std::vector<std::string> replaced;
    for (const auto& [result, path] : results) {
        if (*lastSource[platform::foldCase(result)] != *path) {
            replaced.push_back(result);
        }
    }
    return replaced;
}

} // namespace

std::string resultsFolder(const BatchJob& batch) {
    return batch.resultsFolder();
}

std::string resultPlace(const BatchJob& batch, const std::string& name) {
    return resultsFolder(batch) + "\\" + name;
}

Job takeJob(BatchJob batch) {
    Job job;
    FolderIndex index;
    const bool compress = batch.mode == JobMode::Compress;
    for (const auto& entry : compress ? batch.paths : batch.names) {
        ExpectedResult result;
        result.name = resultName(batch.mode, compress ? platform::fileNameOf(entry) : entry);
        if (!result.name.empty()) {
            result.before = index.stamp(resultPlace(batch, result.name));
        }
        job.results.push_back(std::move(result));
    }
    job.replaced = replacedResults(batch);
    job.text = makeBatchText(batch);
    // The tool leaves each decompressed file in the System folder, and the job then moves it out.
    const GameTool tool = batch.toolToRun();
    if (!compress && !batch.gameFolder.empty()) {
        for (const auto& name : batch.names) {
            auto base = decompressedName(name);
            if (base && index.holds(tool.resultOf(*base))) {
                job.inSystem.push_back(*base);
            }
        }
    }
    for (const auto& path : batch.paths) {
        ToolOutput output;
        if (compress) {
            output.place = path + ".uz";
        } else if (auto base = decompressedName(platform::fileNameOf(path))) {
            output.place = tool.resultOf(*base);
        }
        output.existedBefore = !output.place.empty() && index.holds(output.place);
        job.toolOutputs.push_back(std::move(output));
    }
    job.batch = std::move(batch);
    return job;
}

std::size_t leaveOutDone(BatchJob& batch) {
    FolderIndex index;
    std::vector<std::string> kept;
    std::vector<std::string> names = batch.names;
    for (const auto& path : batch.paths) {
        const std::string name = platform::fileNameOf(path);
        const std::string result = resultName(batch.mode, name);
        const auto done = result.empty() ? std::nullopt : index.stamp(resultPlace(batch, result));
        const auto source = done ? index.stamp(path) : std::nullopt;
        const bool isDone = source && done->modifiedNs > source->modifiedNs;
        if (!isDone) {
            kept.push_back(path);
            continue;
        }
        // The name list holds the same names in the order of queuing: one goes with the path.
        if (auto it = std::find(names.begin(), names.end(), name); it != names.end()) {
            names.erase(it);
        }
    }
    const std::size_t leftOut = batch.paths.size() - kept.size();
    batch.paths = std::move(kept);
    batch.names = std::move(names);
    return leftOut;
}

} // namespace tolvane
