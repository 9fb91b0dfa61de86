#pragma once
// The engine's Huffman stage: the input length as an int32, then one bit stream packed least
// significant bit first holding the code tree in pre-order and the code of every input byte.

#include "uz/bytes.h"

namespace tolvane::uz {

// Builds the tree exactly as the engine does, so the output matches its bytes.
Bytes huffmanEncode(ByteSpan input);

// Throws on a bad length, a tree with too many nodes, or missing bits; also when the output
// would pass `maxOutput` bytes.
Bytes huffmanDecode(ByteSpan input, std::size_t maxOutput);

} // namespace tolvane::uz
