// Windows paths resolved over a Wine prefix. A prefix is made once per process under /tmp with
// drives C: and D:, a few folders and names in more than one letter case. Whatever the path:
// - a drive that does not exist or a NUL gives nothing; an existing drive gives a host path that
//   stays below that drive's entry in dosdevices and has as many components as the normalized
//   path, each the same name up to letter case;
// - turning that host path back gives the normalized path again, up to letter case.

#include "driver/check.h"
#include "platform/codepage.h"
#include "platform/posix/wineprefix.h"
#include "platform/winpath.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

using namespace tolvane::platform;
namespace fs = std::filesystem;

namespace {

struct Prefix {
    fs::path root;
    Prefix() {
        std::string pattern = (fs::temp_directory_path() / "tolvane-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::abort();
        }
        root = pattern;
        fs::create_directories(root / "dosdevices");
        fs::create_directories(root / "drive_c");
        fs::create_directories(root / "elsewhere");
        fs::create_symlink("../drive_c", root / "dosdevices" / "c:");
        fs::create_symlink(root / "elsewhere", root / "dosdevices" / "d:");
        for (const char* folder :
             {"drive_c/UnrealTournament/System", "drive_c/UnrealTournament/Maps",
              "drive_c/UnrealTournament/maps", "drive_c/Music", "drive_c/MUSIC/Inner",
              "drive_c/Caf\xC3\xA9/\xC3\x89t\xC3\xA9", "drive_c/with space/.hidden",
              "elsewhere/Data/Sub"}) {
            fs::create_directories(root / folder);
        }
        std::ofstream(root / "drive_c/UnrealTournament/System/UnrealTournament.ini") << "x";
        std::ofstream(root / "elsewhere/Data/readme.TXT") << "x";
    }
    ~Prefix() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

const Prefix& prefix() {
    static const Prefix made;
    return made;
}

bool allNamesFit(const std::vector<std::string>& parts) {
    for (auto& part : parts) {
        if (part.size() > 255) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view path(reinterpret_cast<const char*>(data), size);
    const WinePrefix wine(prefix().root);
    const char drive = driveLetterOf(path);
    const auto host = wine.toHost(path);
    if ((drive != 'C' && drive != 'D') || path.find('\0') != std::string_view::npos) {
        FUZZ_CHECK(!host);
        return 0;
    }
    FUZZ_CHECK(host.has_value());
    const fs::path driveEntry =
        prefix().root / "dosdevices" / std::string{static_cast<char>(drive | 0x20), ':'};
    const std::string normal = normalizeWinPath(path);
    const auto parts = splitComponents(normal);

    const fs::path below = host->lexically_relative(driveEntry);
    FUZZ_CHECK(host->native().starts_with(driveEntry.native()));
    std::size_t count = 0;
    for (auto& part : below) {
        if (part == "." && below == ".") {
            break; // the drive's root itself
        }
        FUZZ_CHECK(part != ".." && part != "." && !part.empty());
        FUZZ_CHECK(part.native().find('\0') == std::string::npos);
        FUZZ_CHECK(count < parts.size() && equalsIgnoringCase(part.native(), parts[count]));
        ++count;
    }
    FUZZ_CHECK(count == parts.size());

    const auto back = wine.toWindows(*host);
    if (allNamesFit(parts) && normal.size() < 3000) {
        FUZZ_CHECK(back.has_value());
    }
    if (back) {
        FUZZ_CHECK(equalsIgnoringCase(*back, normal));
    }
    return 0;
}
