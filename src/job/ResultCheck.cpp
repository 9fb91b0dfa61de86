#include "job/ResultCheck.h"

#include "job/FolderIndex.h"
#include "platform/codepage.h"

#include <optional>
#include <set>

namespace tolvane {

namespace {

// The stamp of the result the job produced; nothing when it produced none.
std::optional<platform::FileStamp> produced(const Job& job, const ExpectedResult& result,
                                            FolderIndex& index) {
    const auto now =
        result.name.empty() ? std::nullopt : index.stamp(resultPlace(job.batch, result.name));
    if (now && result.before == now) {
        return std::nullopt;
    }
    return now;
}

} // namespace

std::vector<std::string> missingResults(const Job& job) {
    FolderIndex index;
    return missingResults(job, index);
}

std::vector<std::string> missingResults(const Job& job, FolderIndex& index) {
    std::vector<std::string> missing;
    std::set<std::string> absent; // folded, as Windows compares names
    for (const auto& result : job.results) {
        if (!produced(job, result, index)) {
            missing.push_back(result.name);
            absent.insert(platform::foldCase(result.name));
        }
    }
    // A replaced result's name is there, but holds another file's result.
    for (const auto& name : job.replaced) {
        if (!absent.count(platform::foldCase(name))) {
            missing.push_back(name);
        }
    }
    return missing;
}

std::vector<std::string> resultsNotSmaller(const Job& job, FolderIndex& index) {
    std::vector<std::string> larger;
    if (job.batch.mode != JobMode::Compress) {
        return larger;
    }
    // For Compress the results follow the selection list, as the queued paths do.
    for (std::size_t i = 0; i < job.results.size() && i < job.batch.paths.size(); ++i) {
        const ExpectedResult& result = job.results[i];
        const auto made = produced(job, result, index);
        const auto package = made ? index.stamp(job.batch.paths[i]) : std::nullopt;
        if (package && made->size >= package->size) {
            larger.push_back(result.name);
        }
    }
    return larger;
}

void removeHalfWritten(const Job& job, std::optional<std::size_t> runningToolLine) {
    if (!runningToolLine) {
        return;
    }
    for (std::size_t line = *runningToolLine; line < job.toolOutputs.size(); ++line) {
        const ToolOutput& output = job.toolOutputs[line];
        if (!output.existedBefore && !output.place.empty()) {
            (void)platform::deleteFile(output.place, true);
        }
    }
}

} // namespace tolvane
