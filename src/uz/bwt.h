#pragma once
// The engine's block-sorting stage. Each block of up to 0x40000 bytes is stored as its length,
// the rows of positions 1 and 0, and the last column of its sorted suffixes (n + 1 bytes).
// Suffixes sort with the end of the block after every byte value.

#include "uz/bytes.h"

#include <cstdint>

namespace tolvane::uz {

constexpr std::size_t kBwtBlockSize = 0x40000;

struct BwtBlock {
    std::int32_t first = 0; // row of position 1
    std::int32_t last = 0;  // row of position 0
    Bytes lastColumn;       // n + 1 bytes
};

// Sorts one block (1..kBwtBlockSize bytes).
BwtBlock bwtEncodeBlock(ByteSpan block);

Bytes bwtEncode(ByteSpan input);

// Throws on a malformed block: bad length, First or Last out of range or equal, a truncated last
// column, or a walk that does not visit every row once.
Bytes bwtDecode(ByteSpan input);

} // namespace tolvane::uz
