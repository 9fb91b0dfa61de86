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

struct Expansion {
    std::string text;
    std::size_t end = 0;     // where reading goes on
    bool makesField = false; // false for a variable whose value is empty
};

// The '%' at `at`: "%%" gives '%', a known "%NAME%" its value, an unknown one stays as typed.
// Nothing for a lone '%', which is an ordinary character.
std::optional<Expansion> expandReference(std::string_view line, std::size_t at,
                                         const VariableLookup& lookup) {
    if (at + 1 < line.size() && line[at + 1] == '%') {
        return Expansion{"%", at + 2, true};
    }
    const std::size_t close = line.find('%', at + 1);
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view name = line.substr(at + 1, close - at - 1);
    // A name never holds a blank or a quote, so a reference cannot reach across fields.
    if (name.find_first_of(" \t\"") != name.npos) {
        return std::nullopt;
    }
    if (auto value = lookup ? lookup(name) : std::nullopt) {
        const bool makesField = !value->empty();
        return Expansion{std::move(*value), close + 1, makesField};
    }
    // Unknown: the whole reference stays as typed, its closing sign included, so that sign
    // cannot open another reference.
    return Expansion{std::string(line.substr(at, close - at + 1)), close + 1, true};
}

} // namespace

std::string expandVariables(std::string_view line, const VariableLookup& lookup) {
    std::string text;
    text.reserve(line.size());
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == '%') {
            if (auto reference = expandReference(line, i, lookup)) {
                text += reference->text;
                i = reference->end;
                continue;
            }
        }
        text += line[i++];
    }
    return text;
}

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
            if (auto reference = expandReference(line, i, lookup)) {
                field += reference->text;
                started = started || reference->makesField;
                i = reference->end;
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
