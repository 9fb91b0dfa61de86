#pragma once
// Whole .uz files: a signature, the original file name, and the data passed through the codec
// chain (1234: RLE, BWT, MTF, Huffman; 5678: the same with a second RLE before Huffman).

#include "uz/bwt.h"
#include "uz/bytes.h"
#include "uz/error.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tolvane::uz {

constexpr std::int32_t kSignature = 1234;         // what the game's tool writes
constexpr std::int32_t kSignatureExtraRle = 5678; // the installer's files
constexpr std::size_t kMaxDecompressedSize = std::size_t{1} << 30;
// Data beyond this cannot be stored: the Huffman stage counts bytes in an int32.
constexpr std::size_t kMaxCompressibleSize = kMaxDecompressedSize;

struct UzContents {
    std::int32_t signature = kSignature;
    std::string name; // UTF-8
    Bytes data;
};

// Compresses `data` under `name` (UTF-8, stored as is), sorting its blocks as `options` says (the
// bytes are the same either way). Throws UzError for data larger than kMaxCompressibleSize or an
// unknown signature.
Bytes compressUz(ByteSpan data, std::string_view name, std::int32_t signature = kSignature,
                 const BwtOptions& options = {});

// Decompresses a whole .uz file. Throws UzError for anything malformed and when the data would
// pass `maxOutput` bytes. The name is returned as stored; check it with storedNameProblem before
// creating a file with it.
UzContents decompressUz(ByteSpan file, std::size_t maxOutput = kMaxDecompressedSize);

// Reads only the signature and the stored name.
UzContents readUzHeader(ByteSpan file);

} // namespace tolvane::uz
