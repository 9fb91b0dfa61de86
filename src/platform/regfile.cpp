#include "platform/regfile.h"

#include "platform/codepage.h"
#include "platform/registry.h"

#include <charconv>
#include <cstdint>
#include <vector>

namespace tolvane::platform {
namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";

int hexDigit(char c) {
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

// Decodes an escaped name or string that starts at text[pos] and ends before `terminator`.
// Escapes produce UTF-16 units (\xNNNN) or bytes; other text is taken as UTF-8. On success pos
// points just past the terminator.
std::optional<std::string> unescape(std::string_view text, std::size_t& pos, char terminator) {
    std::string out;
    std::vector<char16_t> pending; // UTF-16 units waiting to be joined into code points
    auto flush = [&] {
        for (std::size_t i = 0; i < pending.size(); ++i) {
            char32_t unit = pending[i];
            if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < pending.size() &&
                pending[i + 1] >= 0xDC00 && pending[i + 1] <= 0xDFFF) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (pending[i + 1] - 0xDC00);
                ++i;
            } else if (unit >= 0xD800 && unit <= 0xDFFF) {
                unit = 0xFFFD;
            }
            appendUtf8(out, unit);
        }
        pending.clear();
    };
    while (pos < text.size()) {
        char c = text[pos];
        if (c == terminator) {
            flush();
            ++pos;
            return out;
        }
        if (c == '\n') {
            return std::nullopt;
        }
        if (c != '\\') {
            flush();
            out += c;
            ++pos;
            continue;
        }
        if (++pos >= text.size()) {
            return std::nullopt;
        }
        char e = text[pos++];
        switch (e) {
        case 'n':
            pending.push_back(u'\n');
            break;
        case 'r':
            pending.push_back(u'\r');
            break;
        case 't':
            pending.push_back(u'\t');
            break;
        case 'x': {
            unsigned value = 0;
            int digits = 0;
            while (digits < 4 && pos < text.size() && hexDigit(text[pos]) >= 0) {
                value = value * 16 + static_cast<unsigned>(hexDigit(text[pos++]));
                ++digits;
            }
            if (digits == 0) {
                return std::nullopt;
            }
            pending.push_back(static_cast<char16_t>(value));
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                unsigned value = static_cast<unsigned>(e - '0');
                for (int digits = 1;
                     digits < 3 && pos < text.size() && text[pos] >= '0' && text[pos] <= '7';
                     ++digits) {
                    value = value * 8 + static_cast<unsigned>(text[pos++] - '0');
                }
                pending.push_back(static_cast<char16_t>(value));
            } else {
                flush();
                out += e; // \\ \" \[ \] and any other character stand for themselves
            }
            break;
        }
    }
    return std::nullopt;
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

struct Lines {
    std::string_view text;
    std::size_t pos = 0;
    bool next(std::string_view& line) {
        if (pos >= text.size()) {
            return false;
        }
        auto end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        line = trimRight(text.substr(pos, end - pos));
        pos = end + 1;
        return true;
    }
};

// Reads the data of a value line after its '='. Nothing for types that carry no text.
std::optional<std::string> parseData(std::string_view data) {
    if (data.starts_with("\"")) {
        std::size_t pos = 1;
        return unescape(data, pos, '"');
    }
    if (data.starts_with("str(2):\"")) {
        std::size_t pos = 8;
        return unescape(data, pos, '"');
    }
    if (data.starts_with("dword:")) {
        auto digits = data.substr(6);
        if (digits.size() != 8) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        if (ec != std::errc() || ptr != digits.data() + digits.size()) {
            return std::nullopt;
        }
        // A DWORD reads back as a signed 32-bit number.
        return std::to_string(static_cast<std::int32_t>(value));
    }
    return std::nullopt;
}

std::optional<std::string> lookupExact(std::string_view fileText, const std::string& foldedKey,
                                       const std::string& foldedValue) {
    Lines lines{fileText};
    std::string_view line;
    lines.next(line); // header, checked by the caller
    bool inKey = false;
    while (lines.next(line)) {
        if (line.starts_with("[")) {
            std::size_t pos = 1;
            auto name = unescape(line, pos, ']');
            inKey = name && foldCase(*name) == foldedKey;
            continue;
        }
        if (!inKey) {
            continue;
        }
        std::string name;
        std::size_t pos = 0;
        if (line.starts_with("@=")) {
            pos = 2;
        } else if (line.starts_with("\"")) {
            pos = 1;
            auto parsed = unescape(line, pos, '"');
            if (!parsed || pos >= line.size() || line[pos] != '=') {
                continue;
            }
            name = *parsed;
            ++pos;
        } else {
            continue;
        }
        if (foldCase(name) != foldedValue) {
            continue;
        }
        return parseData(line.substr(pos));
    }
    return std::nullopt;
}

bool isWin64(std::string_view fileText) {
    Lines lines{fileText};
    std::string_view line;
    while (lines.next(line)) {
        if (line.starts_with("[")) {
            return false; // metadata comes before the first key
        }
        if (line == "#arch=win64") {
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<std::string> findRegistryText(std::string_view fileText, std::string_view key,
                                            std::string_view valueName) {
    if (fileText.starts_with("\xEF\xBB\xBF")) {
        fileText.remove_prefix(3);
    }
    if (trimRight(fileText.substr(0, fileText.find('\n'))) != kHeader) {
        return std::nullopt;
    }
    std::string folded = foldCase(key);
    while (!folded.empty() && folded.back() == '\\') {
        folded.pop_back();
    }
    const std::string foldedValue = foldCase(valueName);
    constexpr std::string_view kSoftware = "software\\";
    if (isWin64(fileText) && folded.starts_with(kSoftware) &&
        !folded.starts_with("software\\wow6432node\\")) {
        std::string redirected =
            std::string(kSoftware) + "wow6432node\\" + folded.substr(kSoftware.size());
        if (auto found = lookupExact(fileText, redirected, foldedValue)) {
            return found;
        }
    }
    return lookupExact(fileText, folded, foldedValue);
}

std::optional<RegistryPath> splitRegistryPath(std::string_view fullPath) {
    const auto firstSeparator = fullPath.find('\\');
    const auto lastSeparator = fullPath.rfind('\\');
    if (firstSeparator == std::string_view::npos || lastSeparator == firstSeparator) {
        return std::nullopt;
    }
    const std::string hive = foldCase(fullPath.substr(0, firstSeparator));
    RegistryPath path;
    if (hive == "hkey_local_machine" || hive == "hklm") {
        path.hive = RegistryHive::LocalMachine;
    } else if (hive == "hkey_current_user" || hive == "hkcu") {
        path.hive = RegistryHive::CurrentUser;
    } else {
        return std::nullopt;
    }
    path.key = fullPath.substr(firstSeparator + 1, lastSeparator - firstSeparator - 1);
    path.value = fullPath.substr(lastSeparator + 1);
    return path;
}

} // namespace tolvane::platform
