#pragma once
// Bit packing least significant bit first: stream bit k is bit k % 8 of byte k / 8.

#include "uz/bytes.h"

#include <cstdint>

namespace tolvane::uz {

class BitWriter {
public:
    explicit BitWriter(Bytes& out) : out_(out) {}

    // Writes the low `count` bits of `bits` (count <= 56), bit 0 first.
    void write(std::uint64_t bits, int count) {
        pending_ |= bits << pendingCount_;
        pendingCount_ += count;
        while (pendingCount_ >= 8) {
            out_.push_back(static_cast<std::uint8_t>(pending_));
            pending_ >>= 8;
            pendingCount_ -= 8;
        }
    }

    // Pads with zero bits up to the next byte boundary.
    void flush() {
        if (pendingCount_ > 0) {
            out_.push_back(static_cast<std::uint8_t>(pending_));
        }
        pending_ = 0;
        pendingCount_ = 0;
    }

private:
    Bytes& out_;
    std::uint64_t pending_ = 0;
    int pendingCount_ = 0;
};

// Reads bits; past the end it yields zeros, and the caller compares consumed() with size() to
// tell real bits from those.
class BitReader {
public:
    explicit BitReader(ByteSpan data) : data_(data) { refill(); }

    std::uint64_t size() const { return data_.size() * std::uint64_t{8}; }
    std::uint64_t consumed() const { return consumed_; }

    // The next 8 bits without consuming them.
    unsigned peek8() const { return static_cast<unsigned>(buffer_ & 0xff); }

    void skip(int count) {
        buffer_ >>= count;
        buffered_ -= count;
        consumed_ += static_cast<std::uint64_t>(count);
        if (buffered_ < 8) {
            refill();
        }
    }

    unsigned readBit() {
        const unsigned bit = static_cast<unsigned>(buffer_ & 1);
        skip(1);
        return bit;
    }

private:
    void refill() {
        while (buffered_ <= 56) {
            const std::uint64_t byte = next_ < data_.size() ? data_[next_] : 0;
            ++next_;
            buffer_ |= byte << buffered_;
            buffered_ += 8;
        }
    }

    ByteSpan data_;
    std::size_t next_ = 0;
    std::uint64_t buffer_ = 0;
    int buffered_ = 0;
    std::uint64_t consumed_ = 0;
};

} // namespace tolvane::uz
