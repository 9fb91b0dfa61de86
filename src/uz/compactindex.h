#pragma once
// The engine's variable-length signed integer: 1 to 5 bytes, sign and magnitude, low bits first.

#include "uz/bytes.h"

#include <cstdint>

namespace tolvane::uz {

void appendCompactIndex(Bytes& out, std::int32_t value);

// Reads one compact index; throws on a truncated value or one that does not fit 32 bits.
std::int32_t readCompactIndex(ByteReader& in);

} // namespace tolvane::uz
