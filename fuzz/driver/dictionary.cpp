#include "dictionary.h"

namespace tolvane::fuzz {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::string> parseToken(std::string_view line) {
    auto open = line.find('"');
    if (open == std::string_view::npos || line.size() < open + 2 || line.back() != '"') {
        return std::nullopt;
    }
    std::string_view body = line.substr(open + 1, line.size() - open - 2);
    std::string out;
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '\\') {
            out += body[i];
            continue;
        }
        if (++i >= body.size()) {
            return std::nullopt;
        }
        if (body[i] == 'x') {
            if (i + 2 >= body.size() || hexValue(body[i + 1]) < 0 || hexValue(body[i + 2]) < 0) {
                return std::nullopt;
            }
            out += static_cast<char>(hexValue(body[i + 1]) * 16 + hexValue(body[i + 2]));
            i += 2;
        } else {
            out += body[i];
        }
    }
    return out;
}

} // namespace

std::optional<std::vector<std::string>> parseDictionary(std::string_view text, int* badLine) {
    std::vector<std::string> tokens;
    int number = 0;
    while (!text.empty()) {
        auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        while (!line.empty() &&
               (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
            line.remove_suffix(1);
        }
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            line.remove_prefix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        auto token = parseToken(line);
        if (!token) {
            if (badLine) {
                *badLine = number;
            }
            return std::nullopt;
        }
        tokens.push_back(std::move(*token));
    }
    return tokens;
}

} // namespace tolvane::fuzz
