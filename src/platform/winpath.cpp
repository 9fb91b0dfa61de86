#include "platform/winpath.h"

#include "platform/codepage.h"

namespace tolvane::platform {

bool isUsableWindowsName(std::string_view name) {
    std::size_t pos = 0;
    while (pos < name.size()) {
        const std::size_t start = pos;
        const char32_t c = decodeUtf8(name, pos);
        const bool broken = c == 0xFFFD && name.substr(start, pos - start) != "\xEF\xBF\xBD";
        if (broken || c < 0x20 ||
            (c < 0x80 && std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) !=
                             std::string_view::npos)) {
            return false;
        }
    }
    return !name.empty();
}

char driveLetterOf(std::string_view winPath) {
    if (winPath.size() >= 2 && winPath[1] == ':') {
        char c = winPath[0];
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            return static_cast<char>(c >= 'a' ? c - 32 : c);
        }
    }
    return 0;
}

std::vector<std::string> splitComponents(std::string_view winPath) {
    std::string_view rest = driveLetterOf(winPath) ? winPath.substr(2) : winPath;
    if (!rest.empty() && (rest.front() == '\\' || rest.front() == '/')) {
        rest.remove_prefix(1);
    }
    std::vector<std::string> parts;
    if (rest.empty()) {
        return parts;
    }
    std::string current;
    for (char c : rest) {
        if (c == '\\' || c == '/') {
            parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    parts.push_back(current);
    return parts;
}

std::string fileNameOf(std::string_view winPath) {
    auto pos = winPath.find_last_of("\\/");
    if (pos == std::string_view::npos) {
        return std::string(driveLetterOf(winPath) ? winPath.substr(2) : winPath);
    }
    return std::string(winPath.substr(pos + 1));
}

std::string normalizeWinPath(std::string_view winPath) {
    char drive = driveLetterOf(winPath);
    std::vector<std::string> kept;
    for (auto& part : splitComponents(winPath)) {
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            if (!kept.empty()) {
                kept.pop_back();
            }
            continue;
        }
        kept.push_back(part);
    }
    std::string out;
    if (drive) {
        out += drive;
        out += ':';
    }
    if (kept.empty()) {
        return out + "\\";
    }
    for (auto& part : kept) {
        out += '\\';
        out += part;
    }
    return out;
}

std::string parentOf(std::string_view winPath) {
    std::string normal = normalizeWinPath(winPath);
    auto pos = normal.find_last_of('\\');
    if (pos == std::string::npos || normal.size() <= 3) {
        return {};
    }
    if (pos == 2 && driveLetterOf(normal)) {
        return normal.substr(0, 3);
    }
    return normal.substr(0, pos);
}

std::string joinFolder(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (out.empty() || out.back() != '\\') {
        out += '\\';
    }
    out += name;
    return out;
}

} // namespace tolvane::platform
