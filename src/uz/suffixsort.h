#pragma once
// Suffix sorting: in linear time by induced sorting (SA-IS), and the order the engine's block sort
// needs, from that sort or from libdivsufsort where the build has it.

#include "uz/bytes.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tolvane::uz {

// The start positions of all non-empty suffixes of `text` in ascending order, where a suffix that
// is a prefix of another sorts first. Symbols lie in 0..alphabetTop.
std::vector<std::int32_t> suffixArray(std::span<const std::int32_t> text, std::int32_t alphabetTop);

enum class BlockSorter {
    inducedSorting, // our own SA-IS, on every platform
    divsufsort,     // libdivsufsort, in builds that link it
};

// libdivsufsort where the build links it (faster), else induced sorting.
BlockSorter fastestBlockSorter();
bool haveDivsufsort();

// The engine's order of a block's non-empty suffixes, written to `order` (block.size() entries):
// ascending by their bytes, where running off the end of the block sorts after every byte value,
// so a suffix that is a prefix of another comes after it. (The empty suffix, always last in that
// order, is left out.)
void engineSuffixOrder(ByteSpan block, BlockSorter sorter, std::vector<std::int32_t>& order);

} // namespace tolvane::uz
