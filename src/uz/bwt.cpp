#include "uz/bwt.h"

#include "uz/suffixsort.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

namespace tolvane::uz {

namespace {

constexpr std::size_t kBlockHeaderSize = 12; // n, First, Last

void storeInt32(std::uint8_t* at, std::int32_t value) {
    auto bits = static_cast<std::uint32_t>(value);
    for (int k = 0; k < 4; ++k, bits >>= 8) {
        at[k] = static_cast<std::uint8_t>(bits);
    }
}

// Writes one block of 1..kBwtBlockSize bytes as it is stored, at `out`. `order` is working space
// kept from block to block.
void encodeBlock(ByteSpan block, BlockSorter sorter, std::vector<std::int32_t>& order,
                 std::uint8_t* out) {
    const std::size_t n = block.size();
    engineSuffixOrder(block, sorter, order);
    // Row n holds the empty suffix, which is position 1 only in a block of one byte.
    auto first = static_cast<std::int32_t>(n);
    std::int32_t last = 0;
    std::uint8_t* column = out + kBlockHeaderSize;
    for (std::size_t row = 0; row < n; ++row) {
        const auto pos = static_cast<std::size_t>(order[row]);
        // Position 0 has no byte before it; the engine stores the block's first byte there.
        column[row] = block[pos == 0 ? 0 : pos - 1];
        if (pos == 0) {
            last = static_cast<std::int32_t>(row);
        } else if (pos == 1) {
            first = static_cast<std::int32_t>(row);
        }
    }
    column[n] = block[n - 1];
    storeInt32(out, static_cast<std::int32_t>(n));
    storeInt32(out + 4, first);
    storeInt32(out + 8, last);
}

} // namespace

Bytes bwtEncode(ByteSpan input, const BwtOptions& options) {
    // Every block's place in the result is known beforehand (its bytes, one more, and the
    // header), so each is written straight there, in whatever order the threads finish them.
    const std::size_t blocks = (input.size() + kBwtBlockSize - 1) / kBwtBlockSize;
    Bytes out(input.size() + blocks * (kBlockHeaderSize + 1));
    std::atomic<std::size_t> nextBlock{0};
    auto sortBlocks = [&] {
        std::vector<std::int32_t> order;
        for (std::size_t k = nextBlock++; k < blocks; k = nextBlock++) {
            const std::size_t start = k * kBwtBlockSize;
            encodeBlock(input.subspan(start, std::min(kBwtBlockSize, input.size() - start)),
                        options.sorter, order, out.data() + start + k * (kBlockHeaderSize + 1));
        }
    };

    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t threads =
        std::min<std::size_t>(options.threads ? options.threads : cores, blocks);
    if (threads <= 1) {
        sortBlocks();
        return out;
    }
    // Each thread holds one block's working space (about 5 bytes a byte with libdivsufsort, 20
    // with induced sorting); the calling thread is one of them.
    std::vector<std::exception_ptr> errors(threads);
    auto sortCatching = [&](std::size_t thread) {
        try {
            sortBlocks();
        } catch (...) {
            errors[thread] = std::current_exception();
            nextBlock = blocks; // the others stop after their current block
        }
    };
    {
        std::vector<std::jthread> workers;
        for (std::size_t thread = 1; thread < threads; ++thread) {
            try {
                workers.emplace_back(sortCatching, thread);
            } catch (const std::system_error&) {
                break; // no more threads to be had: the ones running share the blocks
            }
        }
        sortCatching(0);
    }
    for (const std::exception_ptr& error : errors) {
        if (error) {
            std::rethrow_exception(error);
        }
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
