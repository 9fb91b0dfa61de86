// Checks the driver itself: this property fails once a dictionary token lands in an input, and
// the driver must then count the failure rather than pass in silence.

#include "driver/check.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    FUZZ_CHECK(input.find("needle") == std::string_view::npos);
    return 0;
}
