#include "uz/uzfile.h"

#include "uz/bwt.h"
#include "uz/huffman.h"
#include "uz/mtf.h"
#include "uz/rle.h"
#include "uz/storedname.h"

namespace tolvane::uz {

namespace {

void checkSignature(std::int32_t signature) {
    if (signature != kSignature && signature != kSignatureExtraRle) {
        throw UzError("unknown signature " + std::to_string(signature));
    }
}

// Between the Huffman stage and the final run-length decoding the data keeps its size (block
// decoding drops only 13 header bytes per 256 KiB), and run-length decoding turns every 6 bytes
// into at least 5; so an intermediate result above 5/4 of the limit could only end above it.
// Capping there stops a crafted file early without refusing any file that fits the limit.
std::size_t intermediateLimit(std::size_t maxOutput) {
    return maxOutput + maxOutput / 4 + 64;
}

} // namespace

Bytes compressUz(ByteSpan data, std::string_view name, std::int32_t signature,
                 const BwtOptions& options) {
    checkSignature(signature);
    if (data.size() > kMaxCompressibleSize) {
        throw UzError("the file is too large to compress (more than 1 GiB)");
    }
    Bytes stage = bwtEncode(rleEncode(data), options);
    mtfEncode(stage);
    if (signature == kSignatureExtraRle) {
        stage = rleEncode(stage);
    }
    const Bytes payload = huffmanEncode(stage);

    Bytes out;
    out.reserve(payload.size() + name.size() + 8);
    appendInt32(out, signature);
    appendStoredName(out, name);
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

UzContents readUzHeader(ByteSpan file) {
    ByteReader in(file);
    UzContents contents;
    contents.signature = in.readInt32("header");
    checkSignature(contents.signature);
    contents.name = readStoredName(in);
    return contents;
}

UzContents decompressUz(ByteSpan file, std::size_t maxOutput) {
    ByteReader in(file);
    UzContents contents;
    contents.signature = in.readInt32("header");
    checkSignature(contents.signature);
    contents.name = readStoredName(in);

    const std::size_t limit = intermediateLimit(maxOutput);
    Bytes stage = huffmanDecode(in.rest(), limit);
    if (contents.signature == kSignatureExtraRle) {
        stage = rleDecode(stage, limit);
    }
    mtfDecode(stage);
    contents.data = rleDecode(bwtDecode(stage), maxOutput);
    return contents;
}

} // namespace tolvane::uz
