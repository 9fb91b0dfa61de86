#pragma once
// The engine's run-length stage: a run of 5 to 255 equal bytes becomes the byte five times and
// then the run length; shorter runs stay as they are.

#include "uz/bytes.h"

namespace tolvane::uz {

Bytes rleEncode(ByteSpan input);

// Throws when a run length is missing or below 2, or the output would pass `maxOutput` bytes.
Bytes rleDecode(ByteSpan input, std::size_t maxOutput);

} // namespace tolvane::uz
