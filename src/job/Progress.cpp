#include "job/Progress.h"

namespace tolvane {

namespace {

// The line as echoed: the batch writer doubles every '%', and the echo shows it once.
std::string echoOf(std::string_view line) {
    std::string echo;
    echo.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        echo += line[i];
        if (line[i] == '%' && i + 1 < line.size() && line[i + 1] == '%') {
            ++i;
        }
    }
    return echo;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

JobProgress::JobProgress(const std::vector<std::string>& lines, JobMode mode) : mode_(mode) {
    echoes_.reserve(lines.size());
    for (const auto& line : lines) {
        echoes_.push_back(echoOf(line));
    }
}

bool JobProgress::add(std::string_view output) {
    bool advanced = false;
    while (!output.empty()) {
        const std::size_t end = output.find('\n');
        if (end == std::string_view::npos) {
            partial_.append(output);
            break;
        }
        if (partial_.empty()) {
            advanced = lineEnded(output.substr(0, end)) || advanced;
        } else {
            partial_.append(output.substr(0, end));
            advanced = lineEnded(partial_) || advanced;
            partial_.clear();
        }
        output.remove_prefix(end + 1);
    }
    return advanced;
}

bool JobProgress::lineEnded(std::string_view line) {
    if (reached_ >= echoes_.size()) {
        return false;
    }
    line = trimmed(line);
    const std::string& echo = echoes_[reached_];
    if (line.size() <= echo.size() || line[line.size() - echo.size() - 1] != '>' ||
        line.substr(line.size() - echo.size()) != echo) {
        return false;
    }
    ++reached_;
    return true;
}

std::optional<std::size_t> JobProgress::toolLineRunning() const {
    if (reached_ == 0 || reached_ > total() / 2) {
        return std::nullopt;
    }
    return reached_ - 1;
}

std::string JobProgress::caption() const {
    const char* doing = reached_ > steps()           ? "Moving "
                        : mode_ == JobMode::Compress ? "Compressing "
                                                     : "Decompressing ";
    return doing + std::to_string(step()) + " of " + std::to_string(steps());
}

} // namespace tolvane
