#include "platform/codepage.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <clocale>
#include <cwctype>
#include <locale.h>
#include <wctype.h>
#endif

namespace tolvane::platform {
namespace {

// Code points of the bytes 0x80..0x9F; the rest of Windows-1252 equals Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t byteToCodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        return kHighControls[byte - 0x80];
    }
    return byte;
}

std::optional<unsigned char> codePointToByte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<unsigned char>(cp);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == cp) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return std::nullopt;
}

char32_t upperCase(char32_t c) {
#ifdef _WIN32
    wchar_t unit = static_cast<wchar_t>(c);
    if (c > 0xFFFF || LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, &unit, 1, &unit, 1,
                                    nullptr, nullptr, 0) != 1) {
        return c;
    }
    return unit;
#else
    static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return unicode ? static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), unicode)) : c;
#endif
}

// Wine compares file names by their upper case, letter by letter, with Unicode's simple case
// mapping: so "\u00FF" and "\u0178", "\u00B5" and "\u039C", "\u03C2" and "\u03C3", "\u0131"
// and "i" name one file, while "\u00DF" and "SS" do not. The C library's wide-character tables
// hold the same mapping. The folded form keeps ASCII letters in lower case, which is how the
// registry's fixed names are written here.
char32_t foldCodePoint(char32_t c) {
    const char32_t upper = upperCase(c);
    return upper >= 'A' && upper <= 'Z' ? upper + 32 : upper;
}

bool isAscii(std::string_view bytes) {
    // Eight bytes at a time: a job's output is read hundreds of thousands of times a second.
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        if (word & 0x8080808080808080ULL) {
            return false;
        }
    }
    for (; i < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x80) {
            return false;
        }
    }
    return true;
}

// How many bytes at the end of `text` begin a character that is not complete yet (0 when none),
// or nothing when `text` is not UTF-8. Overlong forms, surrogates and code points beyond
// U+10FFFF are not UTF-8.
std::optional<std::size_t> incompleteUtf8Tail(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80; // the range of the second byte
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return std::nullopt;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if (i + k == text.size()) {
                return k;
            }
            const auto next = static_cast<unsigned char>(text[i + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) {
                return std::nullopt;
            }
        }
        i += length;
    }
    return 0;
}

} // namespace

void OutputDecoder::decode(std::string_view bytes, std::string& text) {
    if (held_.empty() && isAscii(bytes)) {
        text.assign(bytes); // the usual case, which needs no decoding
        return;
    }
    text.clear();
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::size_t length = end == std::string_view::npos ? bytes.size() : end + 1;
        line_.assign(held_);
        line_.append(bytes.substr(0, length));
        held_.clear();
        bytes.remove_prefix(length);
        if (const auto tail = incompleteUtf8Tail(line_)) {
            text.append(line_, 0, line_.size() - *tail);
            held_.assign(line_, line_.size() - *tail);
        } else {
            text += narrowToUtf8(line_);
        }
    }
}

std::string OutputDecoder::finish() {
    return narrowToUtf8(std::exchange(held_, std::string()));
}

char32_t decodeUtf8(std::string_view text, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int extra = 0;
    char32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        ++pos;
        return 0xFFFD;
    }
    if (pos + extra >= text.size()) {
        ++pos;
        return 0xFFFD;
    }
    for (int i = 1; i <= extra; ++i) {
        unsigned char next = byte(pos + i);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFD;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    pos += extra + 1;
    if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0xFFFD;
    }
    return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
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

std::string narrowToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char ch : bytes) {
        auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x80) {
            out += ch;
        } else {
            appendUtf8(out, byteToCodePoint(byte));
        }
    }
    return out;
}

std::optional<std::string> utf8ToNarrow(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto lead = static_cast<unsigned char>(text[pos]);
        if (lead < 0x80) {
            out += text[pos++];
            continue;
        }
        std::size_t before = pos;
        char32_t cp = decodeUtf8(text, pos);
        if (cp == 0xFFFD && !(text.substr(before, 3) == "\xEF\xBF\xBD")) {
            return std::nullopt;
        }
        auto byte = codePointToByte(cp);
        if (!byte) {
            return std::nullopt;
        }
        out += static_cast<char>(*byte);
    }
    return out;
}

std::string foldCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto lead = static_cast<unsigned char>(text[pos]);
        if (lead < 0x80) {
            out += static_cast<char>(lead >= 'A' && lead <= 'Z' ? lead + 32 : lead);
            ++pos;
            continue;
        }
        std::size_t start = pos;
        char32_t cp = decodeUtf8(text, pos);
        if (cp == 0xFFFD) {
            out.append(text.substr(start, pos - start));
        } else {
            appendUtf8(out, foldCodePoint(cp));
        }
    }
    return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return foldCase(a) == foldCase(b);
}

} // namespace tolvane::platform
