// Windows path text, as typed or built by concatenation. normalizeWinPath is idempotent, keeps the
// drive and leaves no empty, "." or ".." component; parentOf joined with the file name gives the
// normalized path back.

#include "check.h"
#include "platform/winpath.h"

#include <cstdint>
#include <string>
#include <string_view>

using namespace tolvane::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view path(reinterpret_cast<const char*>(data), size);
    const std::string normal = normalizeWinPath(path);
    FUZZ_CHECK(normalizeWinPath(normal) == normal);
    FUZZ_CHECK(driveLetterOf(normal) == driveLetterOf(path));
    for (const auto& part : splitComponents(normal)) {
        FUZZ_CHECK(!part.empty() && part != "." && part != "..");
    }
    const std::string parent = parentOf(normal);
    FUZZ_CHECK(parentOf(path) == parent);
    if (!parent.empty()) {
        FUZZ_CHECK(normalizeWinPath(parent) == parent);
        FUZZ_CHECK(joinFolder(parent, fileNameOf(normal)) == normal);
    }
    return 0;
}
