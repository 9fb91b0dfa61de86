#pragma once
// The end of a job: which of its results it did not produce.

#include "job/FolderIndex.h"
#include "job/Job.h"

#include <optional>
#include <string>
#include <vector>

namespace tolvane {

// A result counts as produced when a file is at its place now that was not there before the
// job, or differs from the one that was (size, modification time, identity). Whole seconds are
// not compared with a clock: a FAT32 volume keeps times in two-second steps, and a network
// share's clock may differ from ours. Not produced are, in this order: the results not produced
// in that sense, then results that a later one of the same Windows name replaced.
// Both checks at the end of a job read the same folders, so they may share one index.
std::vector<std::string> missingResults(const Job& job);
std::vector<std::string> missingResults(const Job& job, FolderIndex& index);

// Compress: the results that are not smaller than their packages. Game clients older than
// version 469 crash when they download such a file.
std::vector<std::string> resultsNotSmaller(const Job& job, FolderIndex& index);

// A stopped job: the results of the tool line that was running, and of the lines after it that
// the interpreter may have been running beside it, may be half written, unless they were there
// before the job; they go, so that nothing half written stays under a result's name.
void removeHalfWritten(const Job& job, std::optional<std::size_t> runningToolLine);

} // namespace tolvane
