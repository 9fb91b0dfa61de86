#include "uz/bwt.h"

#include "uz/suffixsort.h"

#include <array>

namespace tolvane::uz {

BwtBlock bwtEncodeBlock(ByteSpan block) {
    const std::size_t n = block.size();
    // Flipping every byte reverses the order of the symbols, so the ascending suffix array of the
    // flipped block, with its end sorting first as usual, is the engine's order read backwards
    // (with the empty suffix, which the engine puts last, left out).
    std::vector<std::int32_t> flipped(n);
    for (std::size_t i = 0; i < n; ++i) {
        flipped[i] = 255 - block[i];
    }
    const std::vector<std::int32_t> ascending = suffixArray(flipped, 255);

    BwtBlock out;
    out.lastColumn.resize(n + 1);
    for (std::size_t row = 0; row < n; ++row) {
        const auto pos = static_cast<std::size_t>(ascending[n - 1 - row]);
        out.lastColumn[row] = block[pos == 0 ? 0 : pos - 1];
        if (pos == 0) {
            out.last = static_cast<std::int32_t>(row);
        } else if (pos == 1) {
            out.first = static_cast<std::int32_t>(row);
        }
    }
    out.lastColumn[n] = block[n - 1];
    if (n == 1) {
        out.first = 1;
    }
    return out;
}

Bytes bwtEncode(ByteSpan input) {
    Bytes out;
    out.reserve(input.size() + (input.size() / kBwtBlockSize + 1) * 13);
    for (std::size_t start = 0; start < input.size(); start += kBwtBlockSize) {
        const ByteSpan block = input.subspan(start, std::min(kBwtBlockSize, input.size() - start));
        const BwtBlock sorted = bwtEncodeBlock(block);
        appendInt32(out, static_cast<std::int32_t>(block.size()));
        appendInt32(out, sorted.first);
        appendInt32(out, sorted.last);
        out.insert(out.end(), sorted.lastColumn.begin(), sorted.lastColumn.end());
    }
    return out;
}

Bytes bwtDecode(ByteSpan input) {
    ByteReader in(input);
    Bytes out;
    out.reserve(input.size());
    std::vector<std::uint32_t> next;
    while (!in.atEnd()) {
        const std::int32_t n = in.readInt32("block length");
        if (n < 1 || static_cast<std::size_t>(n) > kBwtBlockSize) {
            throw UzError("block length " + std::to_string(n) + " out of range");
        }
        const std::int32_t first = in.readInt32("block header");
        const std::int32_t last = in.readInt32("block header");
        if (first < 0 || first > n || last < 0 || last > n || first == last) {
            throw UzError("block start rows out of range");
        }
        const ByteSpan column = in.readSpan(static_cast<std::size_t>(n) + 1, "block");

        // Rows stably sorted by their last-column symbol, the placeholder row counting as 256.
        std::array<std::uint32_t, 258> start{};
        for (std::size_t row = 0; row <= static_cast<std::size_t>(n); ++row) {
            ++start[row == static_cast<std::size_t>(last) ? 257 : column[row] + 1];
        }
        for (std::size_t symbol = 1; symbol < start.size(); ++symbol) {
            start[symbol] += start[symbol - 1];
        }
        next.assign(static_cast<std::size_t>(n) + 1, 0);
        for (std::size_t row = 0; row <= static_cast<std::size_t>(n); ++row) {
            next[start[row == static_cast<std::size_t>(last) ? 256 : column[row]]++] =
                static_cast<std::uint32_t>(row);
        }
        std::uint32_t row = static_cast<std::uint32_t>(first);
        for (std::int32_t k = 0; k < n; ++k) {
            if (row == static_cast<std::uint32_t>(last)) {
                throw UzError("block does not decode (its rows do not form one cycle)");
            }
            out.push_back(column[row]);
            row = next[row];
        }
    }
    return out;
}

} // namespace tolvane::uz
