#include "uz/compactindex.h"

namespace tolvane::uz {

namespace {
constexpr std::uint64_t kLargestMagnitude = 0x7fffffff;
}

void appendCompactIndex(Bytes& out, std::int32_t value) {
    // INT32_MIN has no place in the format (the magnitude must fit 31 bits); it is written as
    // the nearest value that does, which no caller of this library ever asks for.
    std::uint32_t magnitude =
        value < 0 ? static_cast<std::uint32_t>(-static_cast<std::int64_t>(value)) : value;
    if (magnitude > kLargestMagnitude) {
        magnitude = kLargestMagnitude;
    }
    std::uint8_t first = static_cast<std::uint8_t>(magnitude & 0x3f);
    if (value < 0) {
        first |= 0x80;
    }
    magnitude >>= 6;
    if (magnitude != 0) {
        first |= 0x40;
    }
    out.push_back(first);
    for (int byteIndex = 1; magnitude != 0 && byteIndex < 4; ++byteIndex) {
        std::uint8_t next = static_cast<std::uint8_t>(magnitude & 0x7f);
        magnitude >>= 7;
        if (magnitude != 0) {
            next |= 0x80;
        }
        out.push_back(next);
    }
    if (magnitude != 0) {
        out.push_back(static_cast<std::uint8_t>(magnitude));
    }
}

std::int32_t readCompactIndex(ByteReader& in) {
    constexpr const char* field = "compact index";
    std::uint8_t byte = in.readByte(field);
    const bool negative = (byte & 0x80) != 0;
    std::uint64_t magnitude = byte & 0x3f;
    bool more = (byte & 0x40) != 0;
    int shift = 6;
    for (int byteIndex = 1; more && byteIndex < 4; ++byteIndex) {
        byte = in.readByte(field);
        magnitude |= static_cast<std::uint64_t>(byte & 0x7f) << shift;
        shift += 7;
        more = (byte & 0x80) != 0;
    }
    if (more) {
        magnitude |= static_cast<std::uint64_t>(in.readByte(field)) << shift;
    }
    if (magnitude > kLargestMagnitude) {
        throw UzError("compact index out of range");
    }
    const auto result = static_cast<std::int32_t>(magnitude);
    return negative ? -result : result;
}

} // namespace tolvane::uz
