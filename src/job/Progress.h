#pragma once
// How far a running job has come, read from its output: the interpreter echoes each line of the
// batch file (after the prompt and a '>') before it runs it, the bundled one as the Windows one.

#include "job/BatchFile.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

class JobProgress {
public:
    // The batch file's lines: first the tool lines, then as many Move lines.
    JobProgress(const std::vector<std::string>& lines, JobMode mode);

    // Takes the next piece of output (UTF-8, as it arrives); true when a new line was reached.
    bool add(std::string_view output);

    // The lines reached so far, the current one included, of all the batch file's lines.
    std::size_t reached() const { return reached_; }
    std::size_t total() const { return echoes_.size(); }
    // The tool line being run, 0-based; nothing once the moves have begun or before the start.
    std::optional<std::size_t> toolLineRunning() const;

    // The count the caption gives, in files: the tool lines first, then the Move lines.
    std::size_t step() const { return reached_ > steps() ? reached_ - steps() : reached_; }
    std::size_t steps() const { return total() / 2; }

    // "Compressing 12 of 300", "Decompressing 3 of 300", "Moving 7 of 300".
    std::string caption() const;

private:
    bool lineEnded(std::string_view line);

    std::vector<std::string> echoes_; // each line as the interpreter echoes it
    JobMode mode_;
    std::size_t reached_ = 0;
    std::string partial_; // the output's last line so far
};

} // namespace tolvane
