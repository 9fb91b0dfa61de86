#pragma once
// Suffix sorting in linear time (induced sorting, SA-IS).

#include <cstdint>
#include <span>
#include <vector>

namespace tolvane::uz {

// The start positions of all non-empty suffixes of `text` in ascending order, where a suffix that
// is a prefix of another sorts first. Symbols lie in 0..alphabetTop.
std::vector<std::int32_t> suffixArray(std::span<const std::int32_t> text, std::int32_t alphabetTop);

} // namespace tolvane::uz
