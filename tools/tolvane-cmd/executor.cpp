#include "executor.h"

#include "console.h"
#include "lineparser.h"
#include "move.h"
#include "platform/codepage.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <thread>
#include <utility>

namespace tolvane::cmd {

namespace {

// Each running line holds a process and a pipe; more than this gains nothing on any machine.
constexpr std::size_t kMostLinesAtATime = 64;

// A line that is done but not yet shown holds no processor, so it leaves its place to the next
// while an earlier line runs on (a big file among small ones); up to this many lines wait to be
// shown. Each holds this much output at most; beyond it the rest waits in the line's pipe, and
// the program pauses until its turn.
constexpr std::size_t kMostLinesAhead = 256;
constexpr std::size_t kMostHeldBytes = 64 * 1024;

// A line's output: straight to ours once it is the line being shown, held until then.
class HeldOutput : public LineOutput {
public:
    void out(std::string_view bytes) override { add(false, bytes); }
    void err(std::string_view bytes) override { add(true, bytes); }

    // Writes what was held; from now on the output goes straight through.
    void show() {
        live_ = true;
        for (const auto& [toError, bytes] : held_) {
            (toError ? writeErr : writeOut)(bytes);
        }
        held_.clear();
        heldBytes_ = 0;
    }
    bool full() const { return heldBytes_ >= kMostHeldBytes; }

private:
    void add(bool toError, std::string_view bytes) {
        if (live_) {
            (toError ? writeErr : writeOut)(bytes);
            return;
        }
        if (held_.empty() || held_.back().first != toError) {
            held_.emplace_back(toError, std::string());
        }
        held_.back().second.append(bytes);
        heldBytes_ += bytes.size();
    }

    bool live_ = false;
    std::vector<std::pair<bool, std::string>> held_;
    std::size_t heldBytes_ = 0;
};

bool isBuiltIn(const std::vector<std::string>& fields) {
    return fields.empty() || platform::equalsIgnoringCase(fields.front(), "move");
}

} // namespace

std::size_t linesAtATime() {
    if (const char* text = std::getenv("TOLVANE_PARALLEL"); text && *text) {
        char* end = nullptr;
        errno = 0;
        const long count = std::strtol(text, &end, 10);
        if (*end == '\0' && errno == 0 && count > 0) {
            return std::min(static_cast<std::size_t>(count), kMostLinesAtATime);
        }
    }
    return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, kMostLinesAtATime);
}

struct Executor::Line {
    HeldOutput output;
    std::unique_ptr<RunningProgram> program; // none once it has ended
    int errorlevel = 0;
};

Executor::Executor(const WorkingFolder& folder, std::size_t linesAtATime)
    : folder_(folder), programs_(folder), linesAtATime_(linesAtATime) {}

Executor::~Executor() = default;

// As the Windows interpreter does with echo on: a blank line, the prompt, the line as it runs
// (its variables expanded), a blank.
std::string Executor::echoOf(const BatchLine& line) const {
    const bool plain = line.bytes.find('%') == std::string::npos;
    const std::string shown =
        plain ? line.bytes : toConsole(expandVariables(line.text, environmentVariable));
    std::string text;
    text.reserve(folder_.promptText().size() + shown.size() + 6);
    text += "\r\n";
    text += folder_.promptText();
    text += '>';
    text += shown;
    text += " \r\n";
    return text;
}

void Executor::startLines(const std::vector<BatchLine>& lines, std::size_t& next, int& errorlevel) {
    const auto programsRunning = [this] {
        return static_cast<std::size_t>(
            std::count_if(running_.begin(), running_.end(),
                          [](const Line& line) { return line.program != nullptr; }));
    };
    while (next < lines.size() && running_.size() < kMostLinesAhead &&
           programsRunning() < linesAtATime_) {
        const BatchLine& line = lines[next];
        const std::vector<std::string> fields = splitFields(line.text, environmentVariable);
        if (isBuiltIn(fields)) {
            if (!running_.empty()) {
                return;
            }
            writeOut(echoOf(line));
            errorlevel =
                fields.empty() ? 0 : moveCommand({fields.begin() + 1, fields.end()}, folder_);
            ++next;
            continue;
        }
        ++next;
        Line& started = running_.emplace_back();
        started.output.out(echoOf(line));
        if (running_.size() == 1) {
            started.output.show();
        }
        auto program = programs_.find(fields.front());
        if (!program) {
            started.output.err(notRecognized(fields.front()));
            started.errorlevel = kNotRecognized;
            continue;
        }
        auto result = startProgram(*program, fields, started.output);
        if (auto* failed = std::get_if<int>(&result)) {
            started.errorlevel = *failed;
        } else {
            started.program = std::move(std::get<std::unique_ptr<RunningProgram>>(result));
        }
    }
}

bool Executor::showFinished(int& errorlevel) {
    bool any = false;
    while (!running_.empty() && !running_.front().program) {
        running_.front().output.show();
        errorlevel = running_.front().errorlevel;
        running_.pop_front();
        any = true;
    }
    if (!running_.empty()) {
        running_.front().output.show();
    }
    return any;
}

void Executor::waitAndRelay() {
    std::vector<pollfd> waits;
    bool ticks = false;
    for (const Line& line : running_) {
        if (line.program) {
            line.program->addWaits(waits, &line == &running_.front() || !line.output.full());
            ticks = ticks || line.program->needsTicks();
        }
    }
    ::poll(waits.data(), waits.size(), ticks ? 20 : -1);
    for (Line& line : running_) {
        if (line.program &&
            line.program->relay(line.output, &line == &running_.front() || !line.output.full())) {
            line.errorlevel = line.program->errorlevel();
            line.program.reset();
        }
    }
}

int Executor::runBatch(const std::vector<BatchLine>& lines) {
    int errorlevel = 0;
    std::size_t next = 0;
    for (;;) {
        startLines(lines, next, errorlevel);
        if (showFinished(errorlevel)) {
            continue;
        }
        if (running_.empty()) {
            return errorlevel;
        }
        waitAndRelay();
    }
}

} // namespace tolvane::cmd
