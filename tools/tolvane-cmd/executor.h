#pragma once
// Runs the lines of a batch file one after the other, echoing each as the Windows interpreter
// does with echo on.

#include "batchreader.h"
#include "programs.h"
#include "workingfolder.h"

#include <vector>

namespace tolvane::cmd {

class Executor {
public:
    explicit Executor(const WorkingFolder& folder) : folder_(folder), programs_(folder) {}

    // Echoes the line, then runs it; returns its errorlevel.
    int runLine(const BatchLine& line);

    // Runs every line; returns the errorlevel of the last (0 for a file without commands).
    int runBatch(const std::vector<BatchLine>& lines);

private:
    void echo(const BatchLine& line);

    const WorkingFolder& folder_;
    ProgramFinder programs_;
};

} // namespace tolvane::cmd
