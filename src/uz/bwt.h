#pragma once
// The engine's block-sorting stage. Each block of up to 0x40000 bytes is stored as its length,
// the rows of positions 1 and 0, and the last column of its sorted suffixes (n + 1 bytes).
// Suffixes sort with the end of the block after every byte value.

#include "uz/bytes.h"
#include "uz/suffixsort.h"

#include <cstdint>

namespace tolvane::uz {

constexpr std::size_t kBwtBlockSize = 0x40000;

struct BwtOptions {
    unsigned threads = 0; // blocks sorted at once; 0: one per processor core
    BlockSorter sorter = fastestBlockSorter();
};

// Blocks are sorted independently, several at a time, each into its own place in the result, so
// the bytes are the same whatever the thread count or sorter.
Bytes bwtEncode(ByteSpan input, const BwtOptions& options = {});

// Throws on a malformed block: bad length, First or Last out of range or equal, a truncated last
// column, or a walk that does not visit every row once.
Bytes bwtDecode(ByteSpan input);

} // namespace tolvane::uz
