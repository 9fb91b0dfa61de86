#include "slashc.h"

#include <algorithm>

namespace tolvane::cmd {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::string joinArguments(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty()) {
            line += ' ';
        }
        const bool quoted = argument.empty() || argument.find_first_of(" \t") != std::string::npos;
        if (quoted) {
            line += '"' + argument + '"';
        } else {
            line += argument;
        }
    }
    return line;
}

std::string applyQuoteRule(std::string_view text,
                           const std::function<bool(std::string_view)>& namesFile) {
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        return {};
    }
    text.remove_prefix(start);
    if (std::count(text.begin(), text.end(), '"') == 2) {
        const std::size_t open = text.find('"');
        const std::size_t close = text.find('"', open + 1);
        const std::string_view inside = text.substr(open + 1, close - open - 1);
        if (inside.find_first_of("&<>()@^|") == std::string_view::npos &&
            std::any_of(inside.begin(), inside.end(), isBlank) && namesFile(inside)) {
            return std::string(text);
        }
    }
    if (text.front() != '"') {
        return std::string(text);
    }
    std::string rest(text.substr(1));
    const std::size_t last = rest.rfind('"');
    if (last != std::string::npos) {
        rest.erase(last, 1);
    }
    return rest;
}

std::string firstWord(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        return {};
    }
    text.remove_prefix(start);
    if (text.front() == '"') {
        const std::size_t close = text.find('"', 1);
        return std::string(text.substr(1, close == std::string_view::npos ? close : close - 1));
    }
    const auto end = std::find_if(text.begin(), text.end(), isBlank);
    return std::string(text.begin(), end);
}

} // namespace tolvane::cmd
