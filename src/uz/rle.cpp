#include "uz/rle.h"

#include <algorithm>

namespace tolvane::uz {

namespace {

constexpr int kRunLead = 5;
constexpr std::size_t kLongestRun = 255;

void emitRun(Bytes& out, std::uint8_t value, std::size_t length) {
    out.insert(out.end(), std::min<std::size_t>(length, kRunLead), value);
    if (length >= kRunLead) {
        out.push_back(static_cast<std::uint8_t>(length));
    }
}

} // namespace

Bytes rleEncode(ByteSpan input) {
    Bytes out;
    out.reserve(input.size() + input.size() / 16 + 16);
    const std::uint8_t* pos = input.data();
    const std::uint8_t* const end = pos + input.size();
    while (pos != end) {
        const std::uint8_t value = *pos;
        const std::uint8_t* runEnd = pos + 1;
        const std::uint8_t* const runLimit = pos + std::min<std::size_t>(kLongestRun, end - pos);
        while (runEnd != runLimit && *runEnd == value) {
            ++runEnd;
        }
        emitRun(out, value, static_cast<std::size_t>(runEnd - pos));
        pos = runEnd;
    }
    return out;
}

Bytes rleDecode(ByteSpan input, std::size_t maxOutput) {
    Bytes out;
    out.reserve(std::min(input.size() + input.size() / 4, maxOutput));
    int count = 0;
    std::uint8_t previous = 0;
    std::size_t pos = 0;
    auto tooLarge = [] { return UzError("the decompressed data is larger than allowed"); };
    while (pos < input.size()) {
        const std::uint8_t value = input[pos++];
        if (out.size() >= maxOutput) {
            throw tooLarge();
        }
        out.push_back(value);
        if (value != previous) {
            previous = value;
            count = 1;
        } else if (++count == kRunLead) {
            if (pos == input.size()) {
                throw UzError("run length missing at the end of the data");
            }
            const std::uint8_t length = input[pos++];
            if (length < 2) {
                throw UzError("run length below 2");
            }
            if (length > kRunLead) {
                const std::size_t extra = length - kRunLead;
                if (extra > maxOutput - out.size()) {
                    throw tooLarge();
                }
                out.insert(out.end(), extra, value);
            }
            count = 0;
        }
    }
    return out;
}

} // namespace tolvane::uz
