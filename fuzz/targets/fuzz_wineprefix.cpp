// Windows paths over a Wine prefix made once under /tmp. A path on a missing drive, or holding a
// NUL, finds nothing; one on C: finds a host path below the drive's link that turns back into the
// normalized path, up to letter case.

#include "check.h"
#include "platform/codepage.h"
#include "platform/posix/wineprefix.h"
#include "platform/winpath.h"

#include <cstdint>
#include <filesystem>

using namespace tolvane::platform;
namespace fs = std::filesystem;

namespace {
struct Prefix {
    std::string root = (fs::temp_directory_path() / "tolvane-fuzz-XXXXXX").string();
    Prefix() {
        FUZZ_CHECK(::mkdtemp(root.data()) != nullptr);
        fs::create_directories(root + "/drive_c/UnrealTournament/Maps");
        fs::create_directories(root + "/drive_c/maps/Caf\xC3\xA9");
        fs::create_directories(root + "/dosdevices");
        fs::create_symlink("../drive_c", root + "/dosdevices/c:");
    }
    ~Prefix() { fs::remove_all(root); }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view path(reinterpret_cast<const char*>(data), size);
    static const Prefix prefix;
    const WinePrefix wine(prefix.root);
    const auto host = wine.toHost(path);
    if (driveLetterOf(path) != 'C' || path.find('\0') != std::string_view::npos) {
        FUZZ_CHECK(!host);
        return 0;
    }
    FUZZ_CHECK(host && host->native().starts_with(prefix.root + "/dosdevices/c:"));
    const auto back = wine.toWindows(*host);
    FUZZ_CHECK(!back || equalsIgnoringCase(*back, normalizeWinPath(path)));
    return 0;
}
