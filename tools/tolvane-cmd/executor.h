#pragma once
// Runs the lines of a batch file, echoing each as the Windows interpreter does with echo on.
//
// Consecutive program lines (the tool lines of a job) run several at a time, yet what they print
// reads exactly as one line after the other would: each line's echo and output are shown whole
// and in the file's order. The earliest line not yet shown streams live; a later one that is
// done first is held until every line before it has been shown. A built-in line (Move, whose
// file the tool lines before it write) starts only once every line before it has ended.

#include "batchreader.h"
#include "programs.h"
#include "workingfolder.h"

#include <cstddef>
#include <deque>
#include <vector>

namespace tolvane::cmd {

// How many program lines may run at a time: TOLVANE_PARALLEL when it holds a positive number,
// else as many as the machine has processors.
std::size_t linesAtATime();

class Executor {
public:
    Executor(const WorkingFolder& folder, std::size_t linesAtATime);
    ~Executor();

    // Runs every line; returns the errorlevel of the last (0 for a file without commands).
    int runBatch(const std::vector<BatchLine>& lines);

private:
    struct Line;

    std::string echoOf(const BatchLine& line) const;
    // Starts lines while there is room; a built-in line runs once no line is left running.
    void startLines(const std::vector<BatchLine>& lines, std::size_t& next, int& errorlevel);
    // Shows the lines at the front that are done; true when any was.
    bool showFinished(int& errorlevel);
    void waitAndRelay();

    const WorkingFolder& folder_;
    ProgramFinder programs_;
    std::size_t linesAtATime_;
    std::deque<Line> running_; // started and not yet shown, in the file's order
};

} // namespace tolvane::cmd
