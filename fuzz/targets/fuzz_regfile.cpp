// Registry file reader. Two kinds of checks on every input:
// - taken as a whole file, the answer must not change with line ends (CRLF), a byte order mark,
//   the letter case of the names asked for, or a trailing backslash on the key;
// - a key, value name and value cut from the input and written into a file by an escaper of our
//   own (in a random mix of the escape forms) must read back exactly, also through the 32-bit
//   view of a 64-bit prefix, whatever junk follows.

#include "driver/check.h"
#include "platform/regfile.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using tolvane::platform::findRegistryText;

namespace {

struct Random {
    std::uint64_t state;
    std::uint64_t next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    unsigned below(unsigned n) { return static_cast<unsigned>(next() % n); }
};

std::uint64_t hashOf(std::string_view data) {
    std::uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : data) {
        h = (h ^ c) * 1099511628211ULL;
    }
    return h;
}

// Valid UTF-8 sequences give their code point, any other byte the Latin-1 letter of its value.
std::vector<char32_t> decodeLoosely(std::string_view bytes) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < bytes.size();) {
        auto b = static_cast<unsigned char>(bytes[i]);
        int length = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 1;
        char32_t cp = length == 1 ? b : length == 2 ? b & 0x1F : length == 3 ? b & 0x0F : b & 0x07;
        bool valid = length > 1 && i + static_cast<std::size_t>(length) <= bytes.size();
        for (int k = 1; valid && k < length; ++k) {
            auto c = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
            valid = (c & 0xC0) == 0x80;
            cp = (cp << 6) | (c & 0x3F);
        }
        valid = valid && !(length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) &&
                !(length == 4 && (cp < 0x10000 || cp > 0x10FFFF));
        if (valid) {
            out.push_back(cp);
            i += static_cast<std::size_t>(length);
        } else {
            out.push_back(b);
            ++i;
        }
    }
    return out;
}

void encodeUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string utf8Of(const std::vector<char32_t>& text) {
    std::string out;
    for (char32_t cp : text) {
        encodeUtf8(out, cp);
    }
    return out;
}

std::string hexUnit(unsigned unit) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "\\x%04x", unit);
    return buffer;
}

// Escapes text the way a registry file may hold it; every character picks one of the forms
// that stand for it, so all of them get read.
std::string escape(const std::vector<char32_t>& text, Random& random) {
    std::string out;
    for (char32_t cp : text) {
        unsigned form = random.below(3);
        if (cp >= 0x10000) {
            if (form == 0) {
                encodeUtf8(out, cp);
            } else {
                char32_t v = cp - 0x10000;
                out += hexUnit(0xD800 + (v >> 10)) + hexUnit(0xDC00 + (v & 0x3FF));
            }
        } else if (form == 1) {
            out += hexUnit(cp);
        } else if (form == 2 && cp < 0x200) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\%03o", static_cast<unsigned>(cp));
            out += buffer;
        } else if (cp == '\\' || cp == '"' || cp == '[' || cp == ']') {
            out += '\\';
            out += static_cast<char>(cp);
        } else if (cp == '\n' || cp == '\r' || cp == '\t') {
            out += cp == '\n' ? "\\n" : cp == '\r' ? "\\r" : "\\t";
        } else if (cp < 0x20 || cp == 0x7F) {
            out += hexUnit(cp);
        } else {
            encodeUtf8(out, cp);
        }
    }
    return out;
}

std::string lowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    return text;
}

std::string upperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 32);
        }
    }
    return text;
}

std::string withCrlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

// The first key and value name the file itself mentions, roughly unescaped, so lookups also hit.
void namesFromFile(std::string_view text, std::string& key, std::string& name) {
    auto open = text.find("\n[");
    if (open != std::string_view::npos) {
        auto close = text.find(']', open);
        std::string_view raw = text.substr(
            open + 2, close == std::string_view::npos ? std::string_view::npos : close - open - 2);
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\\' && i + 1 < raw.size()) {
                ++i;
            }
            key += raw[i];
        }
    }
    auto quote = text.find("\n\"");
    if (quote != std::string_view::npos) {
        auto end = text.find('"', quote + 2);
        name = text.substr(quote + 2, end == std::string_view::npos ? 0 : end - quote - 2);
    }
}

void checkWholeFile(std::string_view text, const std::string& key, const std::string& name) {
    const auto answer = findRegistryText(text, key, name);
    FUZZ_CHECK(findRegistryText(withCrlf(text), key, name) == answer);
    if (!text.starts_with("\xEF\xBB\xBF")) {
        FUZZ_CHECK(findRegistryText("\xEF\xBB\xBF" + std::string(text), key, name) == answer);
    }
    FUZZ_CHECK(findRegistryText(text, upperAscii(key), lowerAscii(name)) == answer);
    FUZZ_CHECK(findRegistryText(text, key + "\\", name) == answer);
}

void checkRoundTrip(std::string_view input) {
    if (input.size() < 2) {
        return;
    }
    const auto selector = static_cast<unsigned char>(input[0]);
    const bool win64 = selector & 1;
    const bool crlf = selector & 2;
    const unsigned kind = (selector >> 2) % 3; // string, str(2), dword
    const bool underSoftware = selector & 0x20;
    Random random{hashOf(input)};
    std::string_view rest = input.substr(1);
    const std::size_t quarter = rest.size() / 4;

    std::vector<char32_t> key = decodeLoosely(rest.substr(0, quarter));
    if (underSoftware) {
        std::u32string_view software = U"Software\\";
        key.insert(key.begin(), software.begin(), software.end());
    }
    while (!key.empty() && key.back() == U'\\') {
        key.pop_back();
    }
    const std::vector<char32_t> name = decodeLoosely(rest.substr(quarter, quarter));
    const std::vector<char32_t> value = decodeLoosely(rest.substr(2 * quarter, quarter));

    const std::string end = crlf ? "\r\n" : "\n";
    auto block = [&](const std::vector<char32_t>& keyText, const std::string& data) {
        std::string nameText = name.empty() ? "@" : "\"" + escape(name, random) + "\"";
        return "[" + escape(keyText, random) + "] 1700000000" + end + "#time=1d9a" + end +
               nameText + "=" + data + end;
    };
    auto dataFor = [&](const std::vector<char32_t>& text, std::string& expected) {
        if (kind == 2) {
            std::uint32_t number = static_cast<std::uint32_t>(hashOf(utf8Of(text)));
            char buffer[24];
            std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<unsigned>(number));
            expected = std::to_string(static_cast<std::int32_t>(number));
            return std::string(buffer);
        }
        expected = utf8Of(text);
        return std::string(kind == 1 ? "str(2):\"" : "\"") + escape(text, random) + "\"";
    };

    std::string file =
        "WINE REGISTRY Version 2" + end + ";; All keys relative to \\\\Machine" + end + end;
    if (win64) {
        file += "#arch=win64" + end;
    }
    std::string expected;
    const std::string keyText = utf8Of(key);
    std::string folded = lowerAscii(keyText);
    if (folded.starts_with("software\\") && !folded.starts_with("software\\wow6432node\\")) {
        // A 64-bit prefix shows a 32-bit program the Wow6432Node copy; other prefixes do not.
        std::vector<char32_t> wowKey(key.begin(), key.begin() + 9);
        std::u32string_view wow = U"Wow6432Node\\";
        wowKey.insert(wowKey.end(), wow.begin(), wow.end());
        wowKey.insert(wowKey.end(), key.begin() + 9, key.end());
        std::vector<char32_t> wowValue = value;
        wowValue.push_back(U'3');
        wowValue.push_back(U'2');
        std::string wowExpected;
        std::string plainExpected;
        file += block(wowKey, dataFor(wowValue, wowExpected)) + end;
        file += block(key, dataFor(value, plainExpected)) + end;
        expected = win64 ? wowExpected : plainExpected;
    } else {
        file += block(key, dataFor(value, expected)) + end;
    }
    file += rest; // whatever follows cannot change a value already found

    auto found = findRegistryText(file, keyText, utf8Of(name));
    FUZZ_CHECK(found.has_value());
    FUZZ_CHECK(*found == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string key;
    std::string name;
    namesFromFile(input, key, name);
    checkWholeFile(input, key, name);
    checkWholeFile(input, "Software\\Unreal Technology\\Installed Apps\\UnrealTournament",
                   "Folder");
    checkRoundTrip(input);
    return 0;
}
