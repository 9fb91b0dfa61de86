#include "uz/storedname.h"

#include "platform/codepage.h"
#include "uz/compactindex.h"

namespace tolvane::uz {

namespace {

std::vector<char32_t> codePointsOf(std::string_view utf8) {
    std::vector<char32_t> points;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        points.push_back(platform::decodeUtf8(utf8, pos));
    }
    return points;
}

void appendUtf16(Bytes& out, char32_t point) {
    auto unit = [&out](std::uint32_t value) {
        out.push_back(static_cast<std::uint8_t>(value));
        out.push_back(static_cast<std::uint8_t>(value >> 8));
    };
    if (point >= 0x10000) {
        point -= 0x10000;
        unit(0xd800 + (point >> 10));
        unit(0xdc00 + (point & 0x3ff));
    } else {
        unit(point);
    }
}

std::string readLatin1(ByteReader& in, std::size_t count) {
    ByteSpan units = in.readSpan(count, "file name");
    if (units.back() != 0) {
        throw UzError("file name is not NUL-terminated");
    }
    std::string name;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        if (units[i] == 0) {
            throw UzError("file name holds a NUL character");
        }
        platform::appendUtf8(name, units[i]);
    }
    return name;
}

std::string readUtf16(ByteReader& in, std::size_t count) {
    ByteSpan bytes = in.readSpan(count * 2, "file name");
    auto unitAt = [&bytes](std::size_t i) {
        return static_cast<char32_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    };
    if (unitAt(count - 1) != 0) {
        throw UzError("file name is not NUL-terminated");
    }
    std::string name;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        char32_t unit = unitAt(i);
        if (unit == 0) {
            throw UzError("file name holds a NUL character");
        }
        if (unit >= 0xd800 && unit < 0xdc00 && i + 2 < count) {
            char32_t low = unitAt(i + 1);
            if (low >= 0xdc00 && low < 0xe000) {
                platform::appendUtf8(name, 0x10000 + ((unit - 0xd800) << 10) + (low - 0xdc00));
                ++i;
                continue;
            }
        }
        if (unit >= 0xd800 && unit < 0xe000) {
            throw UzError("file name is not valid UTF-16");
        }
        platform::appendUtf8(name, unit);
    }
    return name;
}

} // namespace

void appendStoredName(Bytes& out, std::string_view name) {
    const std::vector<char32_t> points = codePointsOf(name);
    bool latin1 = true;
    for (char32_t point : points) {
        latin1 = latin1 && point <= 0xff;
    }
    if (latin1) {
        appendCompactIndex(out, static_cast<std::int32_t>(points.size() + 1));
        for (char32_t point : points) {
            out.push_back(static_cast<std::uint8_t>(point));
        }
        out.push_back(0);
        return;
    }
    Bytes units;
    for (char32_t point : points) {
        appendUtf16(units, point);
    }
    appendUtf16(units, 0);
    appendCompactIndex(out, -static_cast<std::int32_t>(units.size() / 2));
    out.insert(out.end(), units.begin(), units.end());
}

std::string readStoredName(ByteReader& in) {
    const std::int32_t count = readCompactIndex(in);
    if (count == 0) {
        throw UzError("file name is empty");
    }
    // A count beyond the bytes left is a truncated file; checking first keeps a crafted count
    // from turning into a huge allocation.
    if (count > 0) {
        if (static_cast<std::size_t>(count) > in.remaining()) {
            throw UzError("truncated file name");
        }
        return readLatin1(in, static_cast<std::size_t>(count));
    }
    const auto units = static_cast<std::size_t>(-static_cast<std::int64_t>(count));
    if (units > in.remaining() / 2) {
        throw UzError("truncated file name");
    }
    return readUtf16(in, units);
}

std::optional<std::string> storedNameProblem(std::string_view name) {
    if (name.empty()) {
        return "the name is empty";
    }
    if (name == "." || name == "..") {
        return "the name is \"" + std::string(name) + "\"";
    }
    for (char c : name) {
        if (c == '/' || c == '\\') {
            return "the name holds a path separator";
        }
        if (c == ':') {
            return "the name holds a drive colon";
        }
        if (static_cast<unsigned char>(c) < 0x20) {
            return "the name holds a control character";
        }
    }
    return std::nullopt;
}

} // namespace tolvane::uz
