#pragma once
// Little-endian reading and writing of the fixed-size fields of a .uz file.

#include "uz/error.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tolvane::uz {

using Bytes = std::vector<std::uint8_t>;
using ByteSpan = std::span<const std::uint8_t>;

inline void appendInt32(Bytes& out, std::int32_t value) {
    auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(bits >> shift));
    }
}

// Reads fields from a byte span front to back; running past the end throws, naming the field.
class ByteReader {
public:
    explicit ByteReader(ByteSpan data) : data_(data) {}

    bool atEnd() const { return pos_ == data_.size(); }
    std::size_t remaining() const { return data_.size() - pos_; }
    std::size_t position() const { return pos_; }

    std::uint8_t readByte(const char* field) {
        if (pos_ >= data_.size()) {
            throw UzError(std::string("truncated ") + field);
        }
        return data_[pos_++];
    }

    std::int32_t readInt32(const char* field) {
        if (remaining() < 4) {
            throw UzError(std::string("truncated ") + field);
        }
        std::uint32_t bits = 0;
        for (int i = 0; i < 4; ++i) {
            bits |= static_cast<std::uint32_t>(data_[pos_++]) << (8 * i);
        }
        return static_cast<std::int32_t>(bits);
    }

    ByteSpan readSpan(std::size_t count, const char* field) {
        if (remaining() < count) {
            throw UzError(std::string("truncated ") + field);
        }
        ByteSpan part = data_.subspan(pos_, count);
        pos_ += count;
        return part;
    }

    ByteSpan rest() const { return data_.subspan(pos_); }

private:
    ByteSpan data_;
    std::size_t pos_ = 0;
};

} // namespace tolvane::uz
