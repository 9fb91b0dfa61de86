// The .uz reader takes files from anywhere (downloads, other tools): whatever the bytes, it must
// either refuse them with an error or give data that compresses and decompresses back to itself.
// The writer must round-trip any data under either signature.

#include "driver/check.h"
#include "uz/uzfile.h"

#include <cstdint>
#include <string>

using namespace tolvane::uz;

namespace {
constexpr std::size_t kOutputLimit = std::size_t{16} << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ByteSpan input(data, size);
    try {
        UzContents contents = decompressUz(input, kOutputLimit);
        FUZZ_CHECK(contents.data.size() <= kOutputLimit);
        FUZZ_CHECK(contents.signature == kSignature || contents.signature == kSignatureExtraRle);
        const Bytes again = compressUz(contents.data, "x.unr", contents.signature);
        FUZZ_CHECK(decompressUz(again).data == contents.data);
    } catch (const UzError&) {
        // Refused with a reason: what a damaged file should get.
    }
    if (size <= 4096) {
        const std::int32_t signature = (size % 2) ? kSignature : kSignatureExtraRle;
        const Bytes packed = compressUz(input, "Map.unr", signature);
        const UzContents back = decompressUz(packed);
        FUZZ_CHECK(back.name == "Map.unr");
        FUZZ_CHECK(back.data == Bytes(input.begin(), input.end()));
    }
    return 0;
}
