// .uz files come from downloads and other tools: whatever the bytes, the reader refuses them with
// an error or gives data that round-trips. The writer round-trips any data under either signature.

#include "check.h"
#include "uz/uzfile.h"

#include <cstdint>

using namespace tolvane::uz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ByteSpan input(data, size);
    try {
        const UzContents contents = decompressUz(input, std::size_t{16} << 20);
        FUZZ_CHECK(decompressUz(compressUz(contents.data, "x.unr", contents.signature)).data ==
                   contents.data);
    } catch (const UzError&) {
        // Refused with a reason, as a damaged file should be.
    }
    if (size <= 4096) {
        const UzContents back =
            decompressUz(compressUz(input, "Map.unr", size % 2 ? kSignature : kSignatureExtraRle));
        FUZZ_CHECK(back.name == "Map.unr" && back.data == Bytes(input.begin(), input.end()));
    }
    return 0;
}
