#include "lineparser.h"

#include <cstdlib>
#include <cstring>

extern char** environ;

namespace tolvane::cmd {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

} // namespace

std::vector<std::string> splitFields(std::string_view line, const VariableLookup& lookup) {
    std::vector<std::string> fields;
    std::string field;
    bool started = false; // an empty pair of quotes still makes a field
    bool inQuotes = false;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (isBlank(c) && !inQuotes) {
            if (started) {
                fields.push_back(std::move(field));
                field.clear();
                started = false;
            }
            ++i;
            continue;
        }
        if (c == '"') {
            inQuotes = !inQuotes;
            started = true;
            ++i;
            continue;
        }
        if (c == '%') {
            if (i + 1 < line.size() && line[i + 1] == '%') {
                field += '%';
                started = true;
                i += 2;
                continue;
            }
            const std::size_t close = line.find('%', i + 1);
            const std::string_view name = close == std::string_view::npos
                                              ? std::string_view()
                                              : line.substr(i + 1, close - i - 1);
            // A name never holds a blank or a quote, so a reference cannot reach across fields.
            if (close != std::string_view::npos && name.find_first_of(" \t\"") == name.npos) {
                if (auto value = lookup ? lookup(name) : std::nullopt) {
                    field += *value;
                    started = started || !value->empty();
                    i = close + 1;
                    continue;
                }
                // Unknown: the whole reference stays as typed, its closing sign included, so
                // that sign cannot open another reference.
                field.append(line.substr(i, close - i + 1));
                started = true;
                i = close + 1;
                continue;
            }
        }
        field += c;
        started = true;
        ++i;
    }
    if (started) {
        fields.push_back(std::move(field));
    }
    return fields;
}

std::optional<std::string> environmentVariable(std::string_view name) {
    if (name.empty()) {
        return std::nullopt;
    }
    const std::string key(name);
    if (const char* value = std::getenv(key.c_str())) {
        return std::string(value);
    }
    for (char** entry = environ; entry && *entry; ++entry) {
        const char* text = *entry;
        const char* equals = std::strchr(text, '=');
        if (!equals || static_cast<std::size_t>(equals - text) != name.size()) {
            continue;
        }
        bool same = true;
        for (std::size_t k = 0; k < name.size() && same; ++k) {
            same = asciiLower(text[k]) == asciiLower(name[k]);
        }
        if (same) {
            return std::string(equals + 1);
        }
    }
    return std::nullopt;
}

} // namespace tolvane::cmd
