#include "platform/posix/cmdline.h"

namespace tolvane::platform {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::vector<std::string> splitCommandLine(std::string_view line) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    const std::size_t n = line.size();

    while (i < n && isBlank(line[i])) {
        ++i;
    }
    if (i == n) {
        return arguments;
    }

    // The program name: quotes group and vanish, backslashes are plain characters.
    std::string program;
    bool quoted = false;
    for (; i < n && (quoted || !isBlank(line[i])); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else {
            program += line[i];
        }
    }
    arguments.push_back(std::move(program));

    for (;;) {
        while (i < n && isBlank(line[i])) {
            ++i;
        }
        if (i == n) {
            break;
        }
        std::string argument;
        quoted = false;
        while (i < n && (quoted || !isBlank(line[i]))) {
            if (line[i] == '\\') {
                std::size_t backslashes = 0;
                while (i < n && line[i] == '\\') {
                    ++backslashes;
                    ++i;
                }
                if (i < n && line[i] == '"') {
                    argument.append(backslashes / 2, '\\');
                    if (backslashes % 2 == 1) {
                        argument += '"';
                        ++i;
                    }
                    // An even count leaves the quote to group, below.
                } else {
                    argument.append(backslashes, '\\');
                }
                continue;
            }
            if (line[i] == '"') {
                if (quoted && i + 1 < n && line[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            argument += line[i];
            ++i;
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

} // namespace tolvane::platform
